#include "shapes/RegionMask.h"

#include <algorithm>

#include "platform/image/ImageOps.h"
#include "platform/log/Log.h"

std::optional<Image> placeMask(const Image& mask, const Rect& frame, const Rect& rect,
                               PlacementMode mode) {
    if (mask.empty()) return std::nullopt;
    Rect p{rect.x * frame.width, rect.y * frame.height, rect.width * frame.width,
           rect.height * frame.height};
    double fx = p.width / mask.extent.width;
    double fy = p.height / mask.extent.height;
    if (mode == PlacementMode::fit) fx = fy = std::min(fx, fy);
    if (!(fx > 0) || !(fy > 0)) return std::nullopt;
    AffineTransform t = AffineTransform::scale(fx, fy).then(AffineTransform::translation(
        p.midX() - fx * mask.extent.width / 2, p.midY() - fy * mask.extent.height / 2));
    return ImageOps::place(mask, t);
}

std::optional<Image> clipToMask(const Image& mask, const Image& image) {
    if (mask.empty() || image.empty()) {
        logLine("Không thể tạo bộ lọc CISourceInCompositing.");
        return std::nullopt;
    }
    return ImageOps::sourceIn(image, withDepthOf(mask, image));
}

Image withDepthOf(const Image& picture, const Image& like) {
    if (picture.pixels.depth() == like.pixels.depth()) return picture;
    bool widen = like.pixels.depth() == CV_16U;
    cv::Mat converted;
    picture.pixels.convertTo(converted, widen ? CV_16UC4 : CV_8UC4, widen ? 257.0 : 1.0 / 257.0);
    Image result(converted, picture.extent);
    result.properties = picture.properties;
    return result;
}
