#include "platform/library/ThumbnailQueue.h"

#include <atomic>
#include <mutex>
#include <vector>

#include "platform/dispatch/BackgroundQueue.h"
#include "platform/dispatch/MainQueue.h"

// Shared with the workers, which may outlive the queue by the preview they are making.
struct ThumbnailQueue::State {
    std::shared_ptr<const ThumbnailCache> cache;
    Delivery deliver;  // main thread only
    int workers;
    std::atomic<bool> closed{false};

    std::mutex mutex;
    std::vector<std::string> waiting;  // newest last
    int running = 0;
};

ThumbnailQueue::ThumbnailQueue(std::shared_ptr<const ThumbnailCache> cache, Delivery deliver,
                               int workers)
    : state_(std::make_shared<State>()) {
    state_->cache = std::move(cache);
    state_->deliver = std::move(deliver);
    state_->workers = workers;
}

ThumbnailQueue::~ThumbnailQueue() {
    state_->closed = true;
    dropPending();
}

void ThumbnailQueue::request(const std::string& path) {
    {
        std::lock_guard lock(state_->mutex);
        state_->waiting.push_back(path);
        if (state_->running >= state_->workers) return;
        ++state_->running;
    }
    BackgroundQueue::dispatch([state = state_] { drain(state); });
}

void ThumbnailQueue::dropPending() {
    std::lock_guard lock(state_->mutex);
    state_->waiting.clear();
}

void ThumbnailQueue::drain(const std::shared_ptr<State>& state) {
    for (;;) {
        std::string path;
        {
            std::lock_guard lock(state->mutex);
            if (state->waiting.empty() || state->closed) {
                --state->running;
                return;
            }
            path = std::move(state->waiting.back());
            state->waiting.pop_back();
        }
        VideoPreview preview = state->cache->preview(path);
        MainQueue::shared().post([state, path = std::move(path), preview = std::move(preview)] {
            // Read on the main thread, where the destructor sets it: nothing is delivered to an
            // owner that has gone.
            if (!state->closed) state->deliver(path, preview);
        });
    }
}
