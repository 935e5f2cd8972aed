#pragma once
// The main() of the Google Benchmark programs that make and drop whole frames.

#include <benchmark/benchmark.h>

#include "platform/image/FrameMemory.h"

inline int runFrameBenchmarks(int argc, char** argv) {
    keepFreedFramesInHeap();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
