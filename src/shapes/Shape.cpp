#include "shapes/Shape.h"

#include <algorithm>

#include "platform/log/Log.h"

namespace {

Rect blend(const Rect& a, const Rect& b, double r) {
    return {a.x + (b.x - a.x) * r, a.y + (b.y - a.y) * r, a.width + (b.width - a.width) * r,
            a.height + (b.height - a.height) * r};
}

// Ratio of (t - from) to (to - from); 0 for an empty span (two keyframes at one time: the
// earlier keyframe's rect, which is also what the previous segment ends on).
double ratio(const MediaTime& t, const MediaTime& from, const MediaTime& to) {
    double span = (to - from).seconds();
    return span > 0 ? (t - from).seconds() / span : 0.0;
}

}  // namespace

Shape::Shape(MediaTimeRange trim, Rect rect, std::string emojiText, bool hdr)
    : RegionLook(std::move(emojiText), hdr),
      trimTime(trim),
      maxEndTime(trim.end()),
      defaultRect(rect) {}

Shape Shape::copy() const {
    Shape c = *this;
    c.id = makeUuidString();
    for (auto& k : c.keyframes) k.id = makeUuidString();
    c.style = style.styleCopy();
    return c;
}

void Shape::appendKeyframe(const MediaTime& time, const Rect& rect) {
    keyframes.push_back(Keyframe{.time = time, .nominalRect = rect});
}

void Shape::setKeyframeRect(int index, const Rect& rect) {
    if (index < 0 || index >= int(keyframes.size())) {
        logDebug("Wrong index keyframe");
        return;
    }
    keyframes[size_t(index)].nominalRect = rect;
}

std::optional<Rect> Shape::rect(const MediaTime& t) const {
    if (t < trimTime.start || t > trimTime.end()) return std::nullopt;
    if (keyframes.empty()) return defaultRect;
    if (keyframes.size() == 1) return keyframes.front().nominalRect;
    std::vector<const Keyframe*> sorted;
    for (const auto& k : keyframes) sorted.push_back(&k);
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](auto* a, auto* b) { return a->time < b->time; });
    if (t < sorted.front()->time)
        return blend(defaultRect, sorted.front()->nominalRect,
                     ratio(t, MediaTime::zero(), sorted.front()->time));
    for (size_t i = 0; i + 1 < sorted.size(); ++i) {
        const auto& a = *sorted[i];
        const auto& b = *sorted[i + 1];
        if (a.time <= t && t <= b.time)
            return blend(a.nominalRect, b.nominalRect, ratio(t, a.time, b.time));
    }
    return sorted.back()->nominalRect;
}

std::optional<Image> Shape::maskImage(const Image& styled, const Image& frame,
                                      const MediaTime& time, RenderPurpose purpose) const {
    auto r = rect(time);
    if (cover == Cover::none || !r) return std::nullopt;
    return coverLayer(cover, *r, styled, frame, purpose);
}

std::optional<Image> Shape::layer(const Image& frame, const MediaTime& time,
                                  RenderPurpose purpose) const {
    auto r = rect(time);
    if (cover == Cover::none || !r) return std::nullopt;
    return styledLayer(cover, *r, frame, purpose);
}
