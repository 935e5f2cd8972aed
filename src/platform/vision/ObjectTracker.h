#pragma once
// Follows one object through a sequence of frames, one frame per call: one tracker per
// tracking pass. Boxes are normalised to the frame, origin at the lower-left, y upwards.
//
// Threads: an instance is used by the one thread that runs its pass.

#include <memory>
#include <optional>

#include "platform/image/Image.h"

struct TrackedObject {
    Rect boundingBox;
    float confidence = 0;  // 0…1; below 0.5 the object is probably lost
};

class ObjectTracker {
public:
    virtual ~ObjectTracker() = default;
    // The first call seeds the tracker with `seed` on `frame` and reports the seed. Later calls
    // find the object in the next frame; `seed` (the caller's last accepted box) is then used
    // only as a fallback position when the tracker itself has lost the object. An empty optional
    // means the request failed (e.g. an empty frame or seed).
    virtual std::optional<TrackedObject> track(const Image& frame, const Rect& seed) = 0;
};

// The tracker the editor uses (CSRT), for code that must not see OpenCV.
std::unique_ptr<ObjectTracker> makeObjectTracker();
