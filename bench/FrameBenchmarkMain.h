#pragma once
// The main() of the Google Benchmark programs that make and drop whole frames.

#include <benchmark/benchmark.h>
#include <malloc.h>

inline int runFrameBenchmarks(int argc, char** argv) {
    // Keep freed frame buffers mapped, as the veilcut program does.
    mallopt(M_MMAP_THRESHOLD, 512 << 20);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    // The program's single malloc arena is left out: here the image loops' worker threads
    // would wait on its lock in every stage (about 1.3 ms a frame for three shapes), while in
    // an export, where the encoder keeps the cores busy, it costs nothing measurable.
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
