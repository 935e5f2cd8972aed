#pragma once
// How a region is hidden, shared by hand-placed shapes and tracked regions: its style,
// softness and emoji, the mask and emoji pictures they make (cached; replaced, never edited,
// when softness or emoji change), and the layer a region of that look draws over a frame.
//
// Threads: changed on the main thread; published copies share the immutable pictures and
// their const members are safe on any thread.

#include <memory>
#include <optional>
#include <string>

#include "core/RegionStyle.h"
#include "core/RenderPurpose.h"
#include "platform/image/Image.h"
#include "regions/Cover.h"

class ReductionCache;
struct ShapeMasks;

class RegionLook {
public:
    RegionStyle style;
    double softness = 0;
    std::string emoji;
    bool isHDR = false;
    std::optional<Image> rectangle;
    std::optional<Image> circle;
    std::optional<Image> emojiImage;
    std::optional<Image> hdrEmojiImage;

    void setSoftness(double value);
    void setEmoji(std::string value);
    void updateShapeMasks();
    void updateEmojiImages();

protected:
    RegionLook(std::string emoji, bool isHDR);

    // Where the layer of a region with rect `rect` (normalised, origin lower-left) can be
    // non-transparent, in pixels of a frame of `frameExtent`; nothing when it cannot show.
    std::optional<Rect> coverArea(Cover cover, const Rect& rect, const Rect& frameExtent) const;
    // The layer itself: `styled` (the frame in this look's style, at least over `coverArea`)
    // cut to the mask placed over the region, or the emoji picture fitted into the rect.
    std::optional<Image> coverLayer(Cover cover, const Rect& rect, const Image& styled,
                                    const Image& frame, RenderPurpose purpose) const;
    // The layer over `frame`, styled here: only the pixels under `coverArea` are styled, and an
    // emoji, which covers its rect, needs none. Nothing when it cannot show.
    std::optional<Image> styledLayer(Cover cover, const Rect& rect, const Image& frame,
                                     RenderPurpose purpose) const;

private:
    const std::optional<Image>& mask(Cover cover) const;
    // The mask's alpha channel alone: placing it costs a quarter of placing the mask, and
    // alpha is all that cutting a layer with it reads.
    const std::optional<Image>& maskAlpha(Cover cover) const;

    // The pictures, shared with every region of the same softness or emoji (LookPictures.h);
    // the fields above show the same pixels.
    std::shared_ptr<const ShapeMasks> masks_;
    std::shared_ptr<const std::optional<Image>> emojiPicture_;
    std::shared_ptr<const std::optional<Image>> hdrEmojiPicture_;
    // The reductions placing the emoji pictures needs, kept from frame to frame. Each region
    // keeps its own: regions sharing a picture are placed at sizes of their own.
    std::shared_ptr<const ReductionCache> emojiReductions_;
    std::shared_ptr<const ReductionCache> hdrEmojiReductions_;
};
