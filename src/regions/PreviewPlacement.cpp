#include "regions/PreviewPlacement.h"

#include <algorithm>

Rect pictureRect(const PreviewPlacement& p) {
    if (!(p.video.width > 0) || !(p.video.height > 0)) return {};
    const double fit = std::min(p.area.width / p.video.width, p.area.height / p.video.height);
    const double width = p.video.width * fit * p.zoom, height = p.video.height * fit * p.zoom;
    const double centreX = p.area.width / 2 + p.offset.x, centreY = p.area.height / 2 + p.offset.y;
    return {centreX - width / 2, centreY - height / 2, width, height};
}

Rect areaRect(const Rect& r, const PreviewPlacement& placement) {
    const Rect picture = pictureRect(placement);
    return {picture.x + r.x * picture.width, picture.y + (1 - (r.y + r.height)) * picture.height,
            r.width * picture.width, r.height * picture.height};
}
