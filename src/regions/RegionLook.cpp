#include "shapes/RegionLook.h"

#include "platform/image/ImageOps.h"

#include "platform/image/ReductionCache.h"
#include "shapes/EmojiImage.h"
#include "shapes/RegionMask.h"
#include "shapes/ShapeMask.h"

namespace {

// The mask canvas draws its shape in its central half, so a mask goes into the rect twice
// the size of the region's about the same centre.
Rect maskRect(const Rect& r) {
    return {r.x - r.width / 2, r.y - r.height / 2, 2 * r.width, 2 * r.height};
}

Rect toPixels(const Rect& r, const Rect& extent) {
    return {r.x * extent.width, r.y * extent.height, r.width * extent.width,
            r.height * extent.height};
}

}  // namespace

RegionLook::RegionLook(std::string emojiText, bool hdr) : emoji(std::move(emojiText)), isHDR(hdr) {
    updateShapeMasks();
    updateEmojiImages();
}

void RegionLook::setSoftness(double value) {
    softness = value;
    updateShapeMasks();
}

void RegionLook::setEmoji(std::string value) {
    emoji = std::move(value);
    updateEmojiImages();
}

void RegionLook::updateShapeMasks() {
    double sigma = softness * FEATHER_SIGMA_PER_SOFTNESS;
    regtangle = makeShapeMask(MASK_COLOR, MASK_CANVAS_SIDE, RECTANGLE_CORNER_RADIUS, sigma);
    circle = makeShapeMask(MASK_COLOR, MASK_CANVAS_SIDE, ELLIPSE_CORNER_RADIUS, sigma);
    regtangleVisiblePart_ = regtangle ? visibleMaskPart(*regtangle) : Rect{};
    circleVisiblePart_ = circle ? visibleMaskPart(*circle) : Rect{};
    auto alphaOf = [](const std::optional<Image>& mask) -> std::optional<Image> {
        if (!mask) return std::nullopt;
        return ImageOps::alphaChannel(*mask);
    };
    regtangleAlpha_ = alphaOf(regtangle);
    circleAlpha_ = alphaOf(circle);
}

void RegionLook::updateEmojiImages() {
    emojiCIImage = makeEmojiImage(emoji, EMOJI_FONT_SIZE);
    if (isHDR) hdrEmojiCIImage = makeHDREmojiImage(emoji, EMOJI_FONT_SIZE);
    auto cached = [](const std::optional<Image>& picture) {
        return picture ? std::make_shared<const ReductionCache>(*picture) : nullptr;
    };
    emojiReductions_ = cached(emojiCIImage);
    hdrEmojiReductions_ = cached(hdrEmojiCIImage);
}

std::optional<Image> RegionLook::styledLayer(Cover cover, const Rect& rect, const Image& frame,
                                             bool isExport) const {
    auto area = coverArea(cover, rect, frame.extent);
    if (!area) return std::nullopt;
    auto styled =
        cover == Cover::emoji ? std::optional(frame) : modelFilterManager.apply(frame, *area);
    if (!styled) return std::nullopt;
    return coverLayer(cover, rect, *styled, frame, isExport);
}

const std::optional<Image>& RegionLook::mask(Cover cover) const {
    return cover == Cover::circle ? circle : regtangle;
}

const std::optional<Image>& RegionLook::maskAlpha(Cover cover) const {
    return cover == Cover::circle ? circleAlpha_ : regtangleAlpha_;
}

std::optional<Rect> RegionLook::coverArea(Cover cover, const Rect& rect,
                                          const Rect& frameExtent) const {
    Rect placed = rect;
    if (cover != Cover::emoji) {
        if (!mask(cover)) return std::nullopt;
        placed =
            visibleMaskRect(cover == Cover::circle ? circleVisiblePart_ : regtangleVisiblePart_,
                            frameExtent, maskRect(rect));
    }
    Rect area = toPixels(placed, frameExtent).intersection(frameExtent);
    if (area.isEmpty()) return std::nullopt;
    return area;
}

std::optional<Image> RegionLook::coverLayer(Cover cover, const Rect& rect, const Image& styled,
                                            const Image& frame, bool isExport) const {
    if (cover == Cover::emoji) {
        const auto& picture =
            isExport && isHDR && emojiCIImage ? hdrEmojiReductions_ : emojiReductions_;
        if (!picture) return std::nullopt;
        return placeMask(*picture, frame, rect, PlacementMode::fit);
    }
    if (!maskAlpha(cover)) return std::nullopt;
    // Only the part under the styled pixels can show: the rest of the mask is not drawn.
    auto placed =
        placeMask(*maskAlpha(cover), frame, maskRect(rect), PlacementMode::stretch, styled.extent);
    if (!placed) return std::nullopt;
    return clipToMask(*placed, styled);
}
