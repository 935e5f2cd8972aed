#pragma once
// Finds face rectangles in one upright frame. What the face scan calls for every frame.
//
// Rectangles are normalised to the frame, origin at the lower-left, y upwards; confidence is in
// 0…1. An empty optional means the request failed; an empty list means no face.
//
// Threads: an instance is used by one thread at a time (it owns a network); make one per worker.

#include <optional>
#include <vector>

#include "platform/image/Image.h"

struct FaceObservation {
    Rect boundingBox;
    float confidence = 0;
};

class FaceRectangleDetector {
public:
    virtual ~FaceRectangleDetector() = default;
    // `frame`: RGBA, 8 or 16 bits per channel.
    virtual std::optional<std::vector<FaceObservation>> detectFaceRectangles(
        const Image& frame) = 0;
};
