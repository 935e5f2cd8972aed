#pragma once
// The judging of one tracking pass, frame by frame: asks the tracker where the box went, rejects
// answers that jump away from the reference box or come with low confidence, holds the reference
// box over rejected frames, counts failures and says when the object is lost. Takes a thumbnail
// of the first accepted frame.
//
// The reference box is the most recent accepted or held box: the last result going forwards,
// the first result going backwards (results are kept in time order either way), and the
// tracker's own answer while there are no results yet.
//
// Threads: owned and used by the one thread that runs the pass.

#include <deque>
#include <optional>
#include <utility>

#include "platform/media/VideoFrame.h"
#include "platform/vision/ObjectTracker.h"
#include "regions/RegionSample.h"

enum class TrackDirection { forward, backward };

class ObjectTrackingPass {
public:
    static constexpr float confidenceThreshold = 0.5f;
    static constexpr double INTERECT_LIMIT = 0.3;
    // Above this the pass ends: 30 failed steps, or 3 rejected frames, in a row.
    static constexpr int LOST_SCORE = 29;

    // `box`: lower-left normalised, the seed of the tracker. `requestHandler` must outlive this.
    ObjectTrackingPass(ObjectTracker& requestHandler, const Rect& box, TrackDirection direction);

    // Judges the next frame of the pass (the next later one going forwards, the next earlier one
    // going backwards). Logs "Cancel reading" when this frame loses the object.
    void judge(const VideoFrame& frame);
    bool lost() const { return failureScore_ > LOST_SCORE; }

    const std::deque<RegionSample>& results() const { return results_; }
    const std::optional<Image>& thumbnail() const { return thumbnail_; }
    // Hands the results and thumbnail on, keeping nothing: the pass's thread then holds no
    // reference to pictures that the main thread reads.
    std::deque<RegionSample> takeResults() { return std::move(results_); }
    std::optional<Image> takeThumbnail() { return std::exchange(thumbnail_, std::nullopt); }

private:
    std::optional<TrackedObject> trackStep(const VideoFrame& frame);
    void record(const MediaTime& time, const Rect& box);
    void takeThumbnail(const Image& frame, const Rect& box);

    ObjectTracker& requestHandler_;
    TrackDirection direction_;
    Rect observation_;  // the last accepted box; seeds the next step
    std::deque<RegionSample> results_;
    std::optional<Image> thumbnail_;
    int failureScore_ = 0;
};

// Whether a box is usable at all: finite, with a positive width and height.
bool isUsableBox(const Rect& box);
// Whether `box` counts as the same object as `reference`: their overlap covers more than
// INTERECT_LIMIT of either box's area.
bool overlapsEnough(const Rect& box, const Rect& reference);
