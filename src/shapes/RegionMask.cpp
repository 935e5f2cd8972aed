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
        logLine("Không thể tạo bộ lọc CISourceInCompositing.");
        return std::nullopt;
    }
    return ImageOps::sourceIn(image, mask);
}
