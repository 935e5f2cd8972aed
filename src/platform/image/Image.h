#pragma once
// A picture as the filter chain passes it around: premultiplied RGBA, 8 bits per channel
// (CV_8UC4) for SDR frames and 16 bits (CV_16UC4) for 10-bit HDR frames.
//
// `pixels` holds the rows top-down, as decoders and OpenCV want them. `extent` places the
// picture in the plane that region rectangles use: origin at the lower-left, y upwards, in
// pixels. A frame straight from a decoder has extent (0, 0, cols, rows).
//
// Ownership and threads: copies share `pixels` (reference counted). An Image is never written
// after it has been handed on, so any thread may read it; code that wants to change pixels
// makes its own buffer first.

#include <opencv2/core/mat.hpp>

#include "platform/image/Geometry.h"

// Tags an emoji picture carries for an HDR export.
struct ImageProperties {
    bool hlgColorSpace = false;      // colour space ITU-R 2100 HLG
    bool hdrGainMap = false;         // "HDRGainMap"
    double maximumPixelValue = 1.0;  // "maximumPixelValue"
    friend bool operator==(const ImageProperties&, const ImageProperties&) = default;
};

struct Image {
    cv::Mat pixels;
    Rect extent;
    ImageProperties properties;

    Image() = default;
    // A picture whose lower-left corner sits at the origin.
    explicit Image(cv::Mat px) : pixels(std::move(px)), extent{0, 0, double(pixels.cols), double(pixels.rows)} {}
    Image(cv::Mat px, Rect ext) : pixels(std::move(px)), extent(ext) {}

    bool empty() const { return pixels.empty(); }
    int width() const { return pixels.cols; }
    int height() const { return pixels.rows; }
    bool isDeep() const { return pixels.depth() == CV_16U; }
    // True when both share the very same pixel buffer (not just equal pixels).
    bool sharesPixelsWith(const Image& o) const {
        return pixels.data == o.pixels.data && extent == o.extent;
    }
};
