#pragma once
// Finds the body poses of the people in a frame of a sequence: per person the nose and the
// neck, normalised to the frame with the origin at the lower-left, y upwards, each absent when
// not visible. Frames are expected in playback order: people found in one frame are followed
// into the next, so the costly person search runs only when someone is lost.
//
// Threads: an instance is used by one thread at a time (it owns networks and tracking state);
// make one per pass.

#include <optional>
#include <vector>

#include "platform/image/Image.h"

struct BodyPoseObservation {
    std::optional<Point> nose;
    std::optional<Point> neck;
};

class BodyPoseDetector {
public:
    virtual ~BodyPoseDetector() = default;
    // `frame`: RGBA, 8 or 16 bits per channel. An empty optional means the request failed.
    virtual std::optional<std::vector<BodyPoseObservation>> detectBodyPoses(const Image& frame) = 0;
    // Forgets the people followed so far (the next frame is not a continuation).
    virtual void reset() = 0;
};
