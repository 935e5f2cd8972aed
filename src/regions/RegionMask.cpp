#include "regions/RegionMask.h"

#include <algorithm>

#include "platform/image/ImageOps.h"
#include "platform/image/ReductionCache.h"
#include "platform/log/Log.h"

namespace {

// Scales a picture of `extent` (by `mode`) and moves its centre onto `rect`'s, in a frame of
// `frame`'s size.
AffineTransform placement(const Rect& extent, const Image& frame, const Rect& rect,
                          PlacementMode mode) {
    const double width = frame.extent.width, height = frame.extent.height;
    const Rect p{rect.x * width, rect.y * height, rect.width * width, rect.height * height};
    double fx = p.width / extent.width, fy = p.height / extent.height;
    if (mode == PlacementMode::fit) fx = fy = std::min(fx, fy);
    return AffineTransform::scale(fx, fy).then(AffineTransform::translation(
        p.midX() - fx * extent.width / 2, p.midY() - fy * extent.height / 2));
}

}  // namespace

std::optional<Image> placeMask(const Image& mask, const Image& frame, const Rect& rect,
                               PlacementMode mode, const std::optional<Rect>& within) {
    if (mask.empty() || frame.empty()) return std::nullopt;
    return ImageOps::place(mask, placement(mask.extent, frame, rect, mode), within);
}

std::optional<Image> placeMask(const ReductionCache& mask, const Image& frame, const Rect& rect,
                               PlacementMode mode) {
    if (mask.picture().empty() || frame.empty()) return std::nullopt;
    return ImageOps::place(mask, placement(mask.picture().extent, frame, rect, mode));
}

Rect visibleMaskPart(const Image& mask) {
    const Rect seen = ImageOps::visibleBounds(mask);
    if (seen.isEmpty()) return {};
    const Rect& e = mask.extent;
    const Rect part = Rect{seen.x - 1, seen.y - 1, seen.width + 2, seen.height + 2}.intersection(e);
    return {(part.x - e.x) / e.width, (part.y - e.y) / e.height, part.width / e.width,
            part.height / e.height};
}

Rect visibleMaskRect(const Rect& visiblePart, const Rect& frameExtent, const Rect& rect) {
    if (visiblePart.isEmpty() || frameExtent.isEmpty()) return {};
    // Reducing a mask averages blocks of under a frame pixel and interpolates within another:
    // two frame pixels of room hold what that spreads.
    const double mx = 2 / frameExtent.width, my = 2 / frameExtent.height;
    return {rect.x + visiblePart.x * rect.width - mx, rect.y + visiblePart.y * rect.height - my,
            visiblePart.width * rect.width + 2 * mx, visiblePart.height * rect.height + 2 * my};
}

std::optional<Image> clipToMask(const Image& mask, const Image& image) {
    if (mask.empty() || image.empty()) {
        logDebug("Không thể tạo bộ lọc CISourceInCompositing.");
        return std::nullopt;
    }
    return ImageOps::sourceIn(image, mask);
}
