#pragma once
// How the process's allocator treats frames: large buffers made and dropped many times a
// second, made on one thread and dropped on another. Call once at start-up, before any thread
// starts; the program and the benchmark programs that run its pipelines in-process both do, so
// the benchmarks time what ships.

void keepFreedFramesInHeap();
