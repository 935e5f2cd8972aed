#pragma once
// Scratch space for the image loops' rows, one per thread and kept between calls. The loops run
// in bands on OpenCV's worker threads; allocating per band made every band call malloc, and
// with the program's single malloc arena those calls waited on each other's lock (about
// 1.3 ms a 1080p frame for three shapes).

#include <cstddef>
#include <vector>

// At least `count` values of this thread's scratch, their contents undefined. Valid until the
// next call with the same T on this thread: a loop that needs several rows takes one and
// divides it.
template <class T>
T* scratchRow(size_t count) {
    thread_local std::vector<T> row;
    if (row.size() < count) row.resize(count);
    return row.data();
}
