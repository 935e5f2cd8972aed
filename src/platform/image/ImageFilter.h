#pragma once
// A style filter of the image layer: blurs, pixellation, crystallization and the photo effects.
//
// A filter is made with its parameters fixed and is immutable afterwards, so one instance may be
// used by any number of threads at once. Every filter treats the frame as clamped (the pixels
// beyond its extent repeat its edge) and can compute just a rectangle of its output: the pixels
// it gives for an area are the pixels filtering the whole frame gives there, and the cost grows
// with the area, not the frame.

#include <opencv2/core/mat.hpp>

#include "platform/image/Image.h"

class ImageFilter {
public:
    virtual ~ImageFilter() = default;

    // The filtered frame inside `area` (plane coordinates, rounded out to whole pixels, clipped
    // to the frame's extent). The result may share the frame's pixels.
    Image apply(const Image& frame, const Rect& area) const;
    Image apply(const Image& frame) const { return apply(frame, frame.extent); }

protected:
    // `frame` is CV_8UC4 or CV_16UC4; `area` lies inside it. Returns area.size() pixels.
    virtual cv::Mat filterPixels(const cv::Mat& frame, const cv::Rect& area) const = 0;
};
