#pragma once
// The main queue: tasks that must run on the main thread (every editor operation, every event).
//
// Any thread may post. Only the main thread runs tasks: the editor binds the queue to Qt's event
// loop through `setWakeHandler` (called from the posting thread whenever new work arrives, so
// the loop can schedule `runPending`); the command line and the tests pump it with `runUntil`.
// The main thread is the first thread to reach `shared()`, until `bindToCurrentThread` moves it.

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

class MainQueue {
public:
    using Clock = std::chrono::steady_clock;
    using Task = std::function<void()>;

    static MainQueue& shared();

    void bindToCurrentThread();
    bool isMainThread() const;

    void post(Task task);
    void postAfter(std::chrono::duration<double> delay, Task task);
    void setWakeHandler(std::function<void()> wake);

    // Main thread: runs every task that is due; returns when the next timed task is due,
    // or nothing pending.
    std::optional<Clock::time_point> runPending();
    // Main thread: runs tasks until `done()` holds or `timeout` passes; true when done.
    bool runUntil(const std::function<bool()>& done, std::chrono::duration<double> timeout);

private:
    struct Timed {
        Clock::time_point due;
        uint64_t order;
        Task task;
    };
    void wake();

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Timed> tasks_;
    uint64_t nextOrder_ = 0;
    std::function<void()> wakeHandler_;
    std::thread::id mainThread_ = std::this_thread::get_id();
};
