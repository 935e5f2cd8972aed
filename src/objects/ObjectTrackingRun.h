#pragma once
// Runs the two tracking passes of a box the user drew on one frame: forwards from the marked
// time to the end of the video, and backwards from the marked time to the start. The backward
// pass cannot decode backwards, so it reads 50-frame chunks forwards through one frame source
// reset to each new range, keeping one chunk of frames at a time, and judges each chunk newest
// first. Each pass reports its samples (in time order) and a thumbnail of the object.
//
// Threads: the operations and `cancel` run on the main thread. Each pass runs on the background
// queue with a tracker of its own; progress (once per frame), completion and cancellation are
// delivered on the main queue. Only one pass runs at a time. Callbacks of a pass still running
// when the tracking run is destroyed are dropped.

#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <optional>

#include "core/SourceVideo.h"
#include "objects/ObjectFrameSource.h"
#include "platform/vision/ObjectTracker.h"
#include "regions/RegionSample.h"

// What the passes are built on; tests replace both.
struct ObjectTrackingServices {
    ObjectFrameSourceOpener openFrames = openVideoFrameSource;
    std::function<std::unique_ptr<ObjectTracker>()> makeTracker;  // CSRT when empty
};

class ObjectTrackingRun {
public:
    using Progress = std::function<void(double)>;
    using Completion = std::function<void(std::deque<RegionSample>, std::optional<Image>)>;
    using Cancelled = std::function<void()>;

    static constexpr double DETECTION_FRAME_SIDE = 768;
    static constexpr int CHUNK_FRAMES = 50;

    explicit ObjectTrackingRun(ObjectTrackingServices services = {});
    ~ObjectTrackingRun();
    ObjectTrackingRun(const ObjectTrackingRun&) = delete;
    ObjectTrackingRun& operator=(const ObjectTrackingRun&) = delete;

    // `rect` is normalised to the displayed frame with its origin at the top-left. Progress is
    // (pts − startTime) / duration. A start at or after the end completes at once, empty.
    void trackForward(std::shared_ptr<const SourceVideo> video, const MediaTime& startTime,
                      const Rect& rect, Progress progress, Completion completion,
                      Cancelled cancelled);
    // Tracks over [rangeStart, rangeEnd) from rangeEnd back; progress is (D − pts) / D.
    // Clears `cancelReverse` first.
    void trackBackward(std::shared_ptr<const SourceVideo> video, const MediaTime& rangeStart,
                       const MediaTime& rangeEnd, const Rect& rect, Progress progress,
                       Completion completion, Cancelled cancelled);
    // Sets `cancelReverse` and cancels the pass under way, if any: it reports cancelled().
    void cancel();

    // A pass has been started and has not ended yet. A pass that cannot open the video ends
    // without any callback; this then turns false.
    bool isTracking() const;
    bool cancelReverse() const;

    struct Shared;
    struct Pass;
    struct PassJob;

private:
    // Makes the pass under way and what its thread needs; nothing when the duration is unknown.
    std::shared_ptr<PassJob> beginPass(std::shared_ptr<const SourceVideo> video, const Rect& rect,
                                       Progress progress, Completion completion,
                                       Cancelled cancelled);

    std::shared_ptr<Shared> shared_;
};
