#pragma once
// The one place that converts between the plane of extents (origin lower-left, y upwards) and
// the top-down pixel rows of an Image. Every extent the image layer produces lies on whole pixels;
// an area that does not is widened outwards to whole pixels. Any thread; pure functions.

#include <cmath>

#include <opencv2/core/types.hpp>

#include "platform/image/Geometry.h"

// The pixel rows and columns that `area` covers in a picture whose extent is `extent`
// (not clipped to the picture).
inline cv::Rect pixelRectOf(const Rect& extent, const Rect& area) {
    constexpr double tolerance = 1e-6;  // keeps 99.9999999 from becoming a whole extra pixel
    const double x0 = std::floor(area.minX() - extent.minX() + tolerance);
    const double x1 = std::ceil(area.maxX() - extent.minX() - tolerance);
    const double top = std::floor(extent.maxY() - area.maxY() + tolerance);
    const double bottom = std::ceil(extent.maxY() - area.minY() - tolerance);
    return {int(x0), int(top), int(std::max(0.0, x1 - x0)), int(std::max(0.0, bottom - top))};
}

// The area in the plane covered by `pixels` of a picture whose extent is `extent`.
inline Rect planeRectOf(const Rect& extent, const cv::Rect& pixels) {
    return {extent.minX() + pixels.x, extent.maxY() - (pixels.y + pixels.height),
            double(pixels.width), double(pixels.height)};
}

// The smallest whole-pixel area holding `area`.
inline Rect wholePixelsAround(const Rect& area) {
    const double x0 = std::floor(area.minX() + 1e-6), y0 = std::floor(area.minY() + 1e-6);
    const double x1 = std::ceil(area.maxX() - 1e-6), y1 = std::ceil(area.maxY() - 1e-6);
    return {x0, y0, std::max(0.0, x1 - x0), std::max(0.0, y1 - y0)};
}
