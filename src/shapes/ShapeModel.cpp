#include "shapes/ShapeModel.h"

#include <algorithm>

#include "platform/log/Log.h"
#include "shapes/EmojiImage.h"
#include "shapes/RegionMask.h"
#include "shapes/ShapeMask.h"

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

// The mask canvas draws its shape in its central half, so the mask goes into the rect twice
// the size of the shape's rect about the same centre.
Rect maskRect(const Rect& r) {
    return {r.x - r.width / 2, r.y - r.height / 2, 2 * r.width, 2 * r.height};
}

Rect toPixels(const Rect& r, const Rect& extent) {
    return {r.x * extent.width, r.y * extent.height, r.width * extent.width,
            r.height * extent.height};
}

}  // namespace

ShapeModel::ShapeModel(MediaTimeRange trim, Rect rect, std::string emojiText, bool hdr)
    : trimTime(trim),
      maxEndTime(trim.end()),
      defaultRect(rect),
      emoji(std::move(emojiText)),
      isHDR(hdr) {
    updateShapeMasks();
    updateEmojiImages();
}

ShapeModel ShapeModel::copy() const {
    ShapeModel c = *this;
    c.id = makeUuidString();
    for (auto& k : c.keyframes) k.id = makeUuidString();
    c.modelFilterManager = modelFilterManager.styleCopy();
    return c;
}

void ShapeModel::appendKeyframe(const MediaTime& time, const Rect& rect) {
    keyframes.push_back(ShapeKeyFrame{.time = time, .nominalRect = rect});
}

void ShapeModel::setKeyframeRect(int index, const Rect& rect) {
    if (index < 0 || index >= int(keyframes.size())) {
        logLine("Wrong index keyframe");
        return;
    }
    keyframes[size_t(index)].nominalRect = rect;
}

std::optional<Rect> ShapeModel::rect(const MediaTime& t) const {
    if (t < trimTime.start || t > trimTime.end()) return std::nullopt;
    if (keyframes.empty()) return defaultRect;
    if (keyframes.size() == 1) return keyframes.front().nominalRect;
    std::vector<const ShapeKeyFrame*> sorted;
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

std::optional<Image> ShapeModel::maskImage(const Image& styled, const Image& frame,
                                           const MediaTime& time, bool isExport) const {
    if (shapeBlurType == ShapeBlurType::none) return std::nullopt;
    auto r = rect(time);
    if (!r) return std::nullopt;
    if (shapeBlurType == ShapeBlurType::emoji) {
        const auto& picture = isExport && isHDR && emojiCIImage ? hdrEmojiCIImage : emojiCIImage;
        if (!picture) return std::nullopt;
        return placeMask(*picture, frame, *r, PlacementMode::fit);
    }
    const auto& mask = shapeBlurType == ShapeBlurType::circle ? circle : regtangle;
    if (!mask) return std::nullopt;
    auto placed = placeMask(*mask, frame, maskRect(*r), PlacementMode::stretch);
    if (!placed) return std::nullopt;
    return clipToMask(*placed, styled);
}

std::optional<Rect> ShapeModel::layerArea(const Rect& frameExtent, const MediaTime& time) const {
    auto r = rect(time);
    if (!r || shapeBlurType == ShapeBlurType::none) return std::nullopt;
    const auto& mask = shapeBlurType == ShapeBlurType::circle ? circle : regtangle;
    if (shapeBlurType != ShapeBlurType::emoji && !mask) return std::nullopt;
    Rect area = toPixels(shapeBlurType == ShapeBlurType::emoji
                             ? *r
                             : visibleMaskRect(*mask, frameExtent, maskRect(*r)),
                         frameExtent);
    area = area.intersection(frameExtent);
    if (area.isEmpty()) return std::nullopt;
    return area;
}

void ShapeModel::setSoftness(double value) {
    softness = value;
    updateShapeMasks();
}

void ShapeModel::setEmoji(std::string value) {
    emoji = std::move(value);
    updateEmojiImages();
}

void ShapeModel::updateShapeMasks() {
    double sigma = softness * FEATHER_SIGMA_PER_SOFTNESS;
    regtangle = makeShapeMask(MASK_COLOR, MASK_CANVAS_SIDE, RECTANGLE_CORNER_RADIUS, sigma);
    circle = makeShapeMask(MASK_COLOR, MASK_CANVAS_SIDE, ELLIPSE_CORNER_RADIUS, sigma);
}

void ShapeModel::updateEmojiImages() {
    emojiCIImage = makeEmojiImage(emoji, EMOJI_FONT_SIZE);
    if (isHDR) hdrEmojiCIImage = makeHDREmojiImage(emoji, EMOJI_FONT_SIZE);
}
