#include "regions/RegionLook.h"

#include "platform/image/ImageOps.h"

#include "platform/image/ReductionCache.h"
#include "regions/LookPictures.h"
#include "regions/RegionMask.h"
#include "regions/ShapeMask.h"

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
    masks_ = sharedShapeMasks(softness * FEATHER_SIGMA_PER_SOFTNESS);
    rectangle = masks_->rectangle;
    circle = masks_->circle;
}

void RegionLook::updateEmojiImages() {
    emojiPicture_ = sharedEmojiPicture(emoji, false);
    emojiImage = *emojiPicture_;
    if (isHDR) {
        hdrEmojiPicture_ = sharedEmojiPicture(emoji, true);
        hdrEmojiImage = *hdrEmojiPicture_;
    }
    auto cached = [](const std::optional<Image>& picture) {
        return picture ? std::make_shared<const ReductionCache>(*picture) : nullptr;
    };
    emojiReductions_ = cached(emojiImage);
    hdrEmojiReductions_ = cached(hdrEmojiImage);
}

std::optional<Image> RegionLook::styledLayer(Cover cover, const Rect& rect, const Image& frame,
                                             RenderPurpose purpose) const {
    auto area = coverArea(cover, rect, frame.extent);
    if (!area) return std::nullopt;
    auto styled = cover == Cover::emoji ? std::optional(frame) : style.apply(frame, *area);
    if (!styled) return std::nullopt;
    return coverLayer(cover, rect, *styled, frame, purpose);
}

const std::optional<Image>& RegionLook::mask(Cover cover) const {
    return cover == Cover::circle ? circle : rectangle;
}

const std::optional<Image>& RegionLook::maskAlpha(Cover cover) const {
    return cover == Cover::circle ? masks_->circleAlpha : masks_->rectangleAlpha;
}

std::optional<Rect> RegionLook::coverArea(Cover cover, const Rect& rect,
                                          const Rect& frameExtent) const {
    Rect placed = rect;
    if (cover != Cover::emoji) {
        if (!mask(cover)) return std::nullopt;
        placed = visibleMaskRect(
            cover == Cover::circle ? masks_->circleVisiblePart : masks_->rectangleVisiblePart,
            frameExtent, maskRect(rect));
    }
    Rect area = toPixels(placed, frameExtent).intersection(frameExtent);
    if (area.isEmpty()) return std::nullopt;
    return area;
}

std::optional<Image> RegionLook::coverLayer(Cover cover, const Rect& rect, const Image& styled,
                                            const Image& frame, RenderPurpose purpose) const {
    if (cover == Cover::emoji) {
        const auto& picture = purpose == RenderPurpose::exportFile && isHDR && emojiImage
                                  ? hdrEmojiReductions_
                                  : emojiReductions_;
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
