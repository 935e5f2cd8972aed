#include "platform/dispatch/MainQueue.h"

#include <algorithm>

MainQueue& MainQueue::shared() {
    // Never destroyed: a worker finishing as the program exits may still post (and wake the
    // condition variable) after main has returned.
    static MainQueue* const queue = new MainQueue;
    return *queue;
}

void MainQueue::bindToCurrentThread() {
    std::lock_guard lock(mutex_);
    mainThread_ = std::this_thread::get_id();
}

bool MainQueue::isMainThread() const {
    std::lock_guard lock(mutex_);
    return mainThread_ == std::this_thread::get_id();
}

void MainQueue::post(Task task) { postAfter(std::chrono::duration<double>(0), std::move(task)); }

void MainQueue::postAfter(std::chrono::duration<double> delay, Task task) {
    {
        std::lock_guard lock(mutex_);
        auto due = Clock::now() + std::chrono::duration_cast<Clock::duration>(delay);
        tasks_.push_back({due, nextOrder_++, std::move(task)});
    }
    wake();
}

void MainQueue::setWakeHandler(std::function<void()> wake) {
    std::lock_guard lock(mutex_);
    wakeHandler_ = std::move(wake);
}

void MainQueue::wake() {
    std::function<void()> handler;
    {
        std::lock_guard lock(mutex_);
        handler = wakeHandler_;
    }
    changed_.notify_all();
    if (handler) handler();
}

std::optional<MainQueue::Clock::time_point> MainQueue::runPending() {
    for (;;) {
        Task task;
        {
            std::lock_guard lock(mutex_);
            auto now = Clock::now();
            auto next = tasks_.end();
            for (auto it = tasks_.begin(); it != tasks_.end(); ++it)
                if (it->due <= now && (next == tasks_.end() || it->order < next->order)) next = it;
            if (next == tasks_.end()) {
                if (tasks_.empty()) return std::nullopt;
                return std::min_element(tasks_.begin(), tasks_.end(),
                                        [](auto& a, auto& b) { return a.due < b.due; })
                    ->due;
            }
            task = std::move(next->task);
            tasks_.erase(next);
        }
        task();
    }
}

bool MainQueue::runUntil(const std::function<bool()>& done,
                         std::chrono::duration<double> timeout) {
    auto deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(timeout);
    for (;;) {
        auto nextDue = runPending();
        if (done()) return true;
        auto now = Clock::now();
        if (now >= deadline) return false;
        auto wakeAt = std::min(deadline, nextDue.value_or(deadline));
        std::unique_lock lock(mutex_);
        // Wake early when a task is posted; re-check `done` at least every few ms since it may
        // depend on state other threads change without posting.
        changed_.wait_until(lock, std::min(wakeAt, now + std::chrono::milliseconds(5)), [&] {
            return std::any_of(tasks_.begin(), tasks_.end(),
                               [&](auto& t) { return t.due <= Clock::now(); });
        });
    }
}
