#include "faces/FaceOverlayLayout.h"

#include <cmath>

namespace {

bool isUsable(const Rect& r) {
    return std::isfinite(r.x) && std::isfinite(r.y) && std::isfinite(r.width) &&
           std::isfinite(r.height) && !r.isEmpty();
}

std::optional<Rect> faceBox(const TrackedRegion& region, const MediaTime& time,
                            double frameDuration, const PreviewPlacement& placement) {
    auto drawn = region.drawnRectAt(time, frameDuration);
    if (!drawn || !isUsable(*drawn) || pictureRect(placement).isEmpty()) return std::nullopt;
    const Rect r = areaRect(*drawn, placement);
    return Rect{r.x - FACE_BOX_MARGIN, r.y - FACE_BOX_MARGIN, r.width + 2 * FACE_BOX_MARGIN,
                r.height + 2 * FACE_BOX_MARGIN};
}

}  // namespace

std::vector<std::optional<Rect>> faceBoxes(const std::vector<TrackedRegion>& regions,
                                           const MediaTime& time, double frameDuration,
                                           const PreviewPlacement& placement) {
    std::vector<std::optional<Rect>> boxes;
    boxes.reserve(regions.size());
    for (const TrackedRegion& region : regions)
        boxes.push_back(faceBox(region, time, frameDuration, placement));
    return boxes;
}

std::optional<int> faceBoxAt(const std::vector<std::optional<Rect>>& boxes, Point point) {
    for (size_t i = boxes.size(); i-- > 0;) {
        const auto& box = boxes[i];
        if (box && point.x >= box->minX() && point.x < box->maxX() && point.y >= box->minY() &&
            point.y < box->maxY())
            return int(i);
    }
    return std::nullopt;
}
