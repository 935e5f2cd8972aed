#include "platform/dispatch/BackgroundQueue.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace {

class WorkerPool {
public:
    ~WorkerPool() {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        changed_.notify_all();
        for (auto& t : workers_) t.join();
    }

    void waitUntilIdle() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return tasks_.empty() && busy_ == 0; });
    }

    void dispatch(std::function<void()> task) {
        std::lock_guard lock(mutex_);
        tasks_.push_back(std::move(task));
        if (idle_ < tasks_.size()) workers_.emplace_back([this] { work(); });
        changed_.notify_one();
    }

private:
    void work() {
        std::unique_lock lock(mutex_);
        for (;;) {
            ++idle_;
            changed_.wait(lock, [&] { return stopping_ || !tasks_.empty(); });
            --idle_;
            if (tasks_.empty()) return;  // stopping and nothing left
            auto task = std::move(tasks_.front());
            tasks_.pop_front();
            ++busy_;
            lock.unlock();
            task();
            task = nullptr;  // what it holds goes before the task counts as done
            lock.lock();
            --busy_;
            changed_.notify_all();
        }
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::function<void()>> tasks_;
    std::vector<std::thread> workers_;
    size_t idle_ = 0;
    size_t busy_ = 0;
    bool stopping_ = false;
};

WorkerPool& pool() {
    static WorkerPool instance;
    return instance;
}

}  // namespace

void BackgroundQueue::dispatch(std::function<void()> task) { pool().dispatch(std::move(task)); }

void BackgroundQueue::waitUntilIdle() {
    pool().waitUntilIdle();
}
