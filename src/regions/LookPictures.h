#pragma once
// The pictures a region's look draws with (its two masks for one softness, its emoji picture),
// made once for each distinct softness or emoji and shared by every region that has it: a
// project of thousands of regions in a few looks holds a few sets of pictures, not thousands.
//
// Threads: any thread. Entries are immutable once made. The cache holds them weakly: a set of
// pictures lives while some region holds it and is made again after the last one lets go.

#include <memory>
#include <optional>
#include <string>

#include "platform/image/Geometry.h"
#include "platform/image/Image.h"

// The rectangle and ellipse masks of one softness (see ShapeMask.h), each with its alpha
// channel alone and the part of it that is not transparent (see visibleMaskPart).
struct ShapeMasks {
    std::optional<Image> rectangle;
    std::optional<Image> circle;
    std::optional<Image> rectangleAlpha;
    std::optional<Image> circleAlpha;
    Rect rectangleVisiblePart;
    Rect circleVisiblePart;
};

// The masks feathered with standard deviation `sigma` canvas pixels. Never null; the masks
// are absent when `sigma` is negative or not a number.
std::shared_ptr<const ShapeMasks> sharedShapeMasks(double sigma);

// The emoji picture of `text` (makeEmojiImage at EMOJI_FONT_SIZE), or its HDR version
// (makeHDREmojiImage). Never null; the picture is absent when the font has none.
std::shared_ptr<const std::optional<Image>> sharedEmojiPicture(const std::string& text, bool hdr);
