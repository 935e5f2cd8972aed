#pragma once
// A first-in first-out queue of at most `capacity` items between two threads: the producer
// waits while it is full, the consumer while it is empty, so a pipeline holds a fixed number
// of frames however long the video is. Any thread.

#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>

template <typename T>
class BoundedQueue {
public:
    explicit BoundedQueue(size_t capacity) : capacity_(capacity) {}

    // Waits for room; false once the queue is closed (the item is dropped).
    bool push(T item) {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return closed_ || items_.size() < capacity_; });
        if (closed_) return false;
        items_.push_back(std::move(item));
        changed_.notify_all();
        return true;
    }

    // Waits for an item; empty once the queue is closed and drained.
    std::optional<T> pop() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return !items_.empty() || closed_; });
        if (items_.empty()) return std::nullopt;
        T item = std::move(items_.front());
        items_.pop_front();
        changed_.notify_all();
        return item;
    }

    // No more pushes; what is queued can still be popped.
    void close() {
        std::lock_guard lock(mutex_);
        closed_ = true;
        changed_.notify_all();
    }

    // Closes and drops what is queued.
    void abort() {
        std::lock_guard lock(mutex_);
        closed_ = true;
        items_.clear();
        changed_.notify_all();
    }

private:
    const size_t capacity_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<T> items_;
    bool closed_ = false;
};
