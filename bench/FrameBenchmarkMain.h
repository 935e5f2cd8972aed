#pragma once
// The main() of the Google Benchmark programs that make and drop whole frames.

#include <benchmark/benchmark.h>
#include <malloc.h>

inline int runFrameBenchmarks(int argc, char** argv) {
    // Keep freed frame buffers mapped, in one arena, as the veilcut program does.
    mallopt(M_MMAP_THRESHOLD, 512 << 20);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    mallopt(M_ARENA_MAX, 1);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
