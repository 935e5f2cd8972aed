#pragma once
// Makes video previews on a few workers of the background queue and hands each to the main
// queue. The most recent request goes first: the videos the user has just scrolled to are the
// ones being looked at. A fixed number of workers, so a library of thousands of videos does not
// start thousands of threads (the background queue grows a thread per waiting task).
//
// Threads: construct, `request`, `dropPending` and destroy on the main thread; deliveries run
// there too, and none runs after the queue is destroyed.

#include <functional>
#include <memory>
#include <string>

#include "platform/library/ThumbnailCache.h"

class ThumbnailQueue {
public:
    using Delivery = std::function<void(const std::string& path, const VideoPreview& preview)>;

    ThumbnailQueue(std::shared_ptr<const ThumbnailCache> cache, Delivery deliver, int workers = 2);
    ~ThumbnailQueue();
    ThumbnailQueue(const ThumbnailQueue&) = delete;
    ThumbnailQueue& operator=(const ThumbnailQueue&) = delete;

    void request(const std::string& path);
    // Forgets the requests no worker has started (another album is shown).
    void dropPending();

private:
    struct State;
    static void drain(const std::shared_ptr<State>& state);  // on a worker
    std::shared_ptr<State> state_;
};
