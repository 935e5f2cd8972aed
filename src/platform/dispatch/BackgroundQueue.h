#pragma once
// The global background queue: runs tasks on worker threads, concurrently. A task may run for a
// long time (a face scan, an export), so the pool grows when every worker is busy rather than
// making later tasks wait; idle workers are kept. Any thread may call `dispatch`.
// The pool joins its workers when the process exits.

#include <functional>

namespace BackgroundQueue {

void dispatch(std::function<void()> task);

}  // namespace BackgroundQueue
