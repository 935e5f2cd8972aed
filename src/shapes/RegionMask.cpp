#include "shapes/RegionMask.h"

#include <algorithm>

#include "platform/image/ImageOps.h"
#include "platform/log/Log.h"

std::optional<Image> placeMask(const Image& mask, const Image& frame, const Rect& rect,
                               PlacementMode mode) {
    if (mask.empty() || frame.empty()) return std::nullopt;
    const double width = frame.extent.width, height = frame.extent.height;
    const Rect p{rect.x * width, rect.y * height, rect.width * width, rect.height * height};
    double fx = p.width / mask.extent.width, fy = p.height / mask.extent.height;
    if (mode == PlacementMode::fit) fx = fy = std::min(fx, fy);
    const AffineTransform transform =
        AffineTransform::scale(fx, fy).then(AffineTransform::translation(
            p.midX() - fx * mask.extent.width / 2, p.midY() - fy * mask.extent.height / 2));
    return ImageOps::place(mask, transform);
}

std::optional<Image> clipToMask(const Image& mask, const Image& image) {
    if (mask.empty() || image.empty()) {
        logLine("Không thể tạo bộ lọc CISourceInCompositing.");
        return std::nullopt;
    }
    return ImageOps::sourceIn(image, mask);
}
