#pragma once
// Hands an immutable snapshot from the thread that edits to the threads that render: `store`
// replaces it, `load` takes a reference to the current one. The lock is held only to copy the
// pointer (never while a snapshot is built or freed), so readers never wait on an edit.
// (libstdc++ 12's std::atomic<std::shared_ptr> releases its internal lock with relaxed ordering
// on load, which ThreadSanitizer rightly cannot prove safe.) Any thread.

#include <memory>
#include <mutex>

template <typename T>
class SnapshotSlot {
public:
    std::shared_ptr<T> load() const {
        std::lock_guard lock(mutex_);
        return value_;
    }
    void store(std::shared_ptr<T> value) {
        {
            std::lock_guard lock(mutex_);
            value_.swap(value);
        }
        // The previous snapshot is released here, outside the lock.
    }

private:
    mutable std::mutex mutex_;
    std::shared_ptr<T> value_;
};
