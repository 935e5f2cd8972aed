#pragma once
// For the life of a guard, Ctrl-C, termination and a closed terminal (SIGHUP) are noted rather
// than ending the process, so that long work can stop cleanly and leave no temporary file
// behind. Main thread; one guard at a time.

class InterruptGuard {
public:
    InterruptGuard();
    ~InterruptGuard();
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;

    // The signal received since the guard was made, or 0. Any thread.
    static int signal();
};
