#pragma once
// One decoded video frame as the readers hand it on: the upright picture, its presentation time
// and, when the reader was asked to keep it, the decoder's own picture, so a writer can encode
// an untouched frame without converting the picture back.
//
// Value type; copies share the pictures, which are never written after decoding. Any thread.

#include <memory>

#include "platform/image/Image.h"
#include "platform/time/MediaTime.h"

struct DecodedPicture;

enum class VideoPixelFormat {
    rgba8,   // CV_8UC4, the filter chain's SDR pictures
    rgba16,  // CV_16UC4, 10-bit HDR pictures
    bgra8,   // CV_8UC4 in OpenCV's channel order, for the trackers
};

struct VideoFrame {
    Image image;
    MediaTime time;
    std::shared_ptr<const DecodedPicture> decoded;
};
