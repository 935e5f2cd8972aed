#include "platform/image/ImageFilter.h"

#include "platform/image/PixelGrid.h"

Image ImageFilter::apply(const Image& frame, const Rect& area) const {
    if (frame.empty()) return {};
    const cv::Rect pixels =
        pixelRectOf(frame.extent, area) & cv::Rect(0, 0, frame.width(), frame.height());
    if (pixels.empty()) return {};
    Image out(filterPixels(frame.pixels, pixels), planeRectOf(frame.extent, pixels));
    out.properties = frame.properties;
    return out;
}
