#pragma once
// The global background queue: runs tasks on worker threads, concurrently. A task may run for a
// long time (a face scan, an export), so the pool grows when every worker is busy rather than
// making later tasks wait; idle workers are kept. Any thread may call `dispatch`.
// The pool joins its workers when the process exits.

#include <functional>

namespace BackgroundQueue {

void dispatch(std::function<void()> task);
// Waits until no task is queued or running: for the end of the program, after its owners have
// cancelled their work, so that no task outlives the objects the program's exit destroys.
void waitUntilIdle();

}  // namespace BackgroundQueue
