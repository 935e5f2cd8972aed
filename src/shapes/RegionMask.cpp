#include "shapes/RegionMask.h"

#include <algorithm>

#include "platform/image/ImageOps.h"
#include "platform/log/Log.h"

namespace {

// The visible part of `mask` plus one pixel around it (what a bilinear enlargement still
// reads), within its extent.
Rect visibleExtent(const Image& mask) {
    const Rect seen = ImageOps::visibleBounds(mask);
    if (seen.isEmpty()) return {};
    return Rect{seen.x - 1, seen.y - 1, seen.width + 2, seen.height + 2}.intersection(mask.extent);
}

}  // namespace

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

Rect visibleMaskRect(const Image& mask, const Rect& frameExtent, const Rect& rect) {
    if (mask.empty() || frameExtent.isEmpty()) return {};
    const Rect visible = visibleExtent(mask);
    if (visible.isEmpty()) return {};
    const Rect& e = mask.extent;
    // Reducing a mask averages blocks of under a frame pixel and interpolates within another:
    // two frame pixels of room hold what that spreads.
    const double mx = 2 / frameExtent.width, my = 2 / frameExtent.height;
    return {rect.x + (visible.x - e.x) / e.width * rect.width - mx,
            rect.y + (visible.y - e.y) / e.height * rect.height - my,
            visible.width / e.width * rect.width + 2 * mx,
            visible.height / e.height * rect.height + 2 * my};
}

std::optional<Image> clipToMask(const Image& mask, const Image& image) {
    if (mask.empty() || image.empty()) {
        logLine("Không thể tạo bộ lọc CISourceInCompositing.");
        return std::nullopt;
    }
    return ImageOps::sourceIn(image, mask);
}
