#pragma once
// Computes a person mask for one frame: a single-channel 8-bit Image (CV_8UC1), bright over
// people and dark elsewhere, at the segmenter's own resolution (which need not have the
// frame's aspect ratio; callers stretch it to the frame).
//
// Threads: an instance is used by one thread at a time (it owns a network); the render thread
// that segments keeps its own.

#include <optional>

#include "platform/image/Image.h"

class PersonSegmenter {
public:
    virtual ~PersonSegmenter() = default;
    // `frame`: RGBA, 8 or 16 bits per channel. Empty when the request failed.
    virtual std::optional<Image> personMask(const Image& frame) = 0;
};
