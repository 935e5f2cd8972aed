#pragma once
// Placing a region's mask or emoji picture over a frame, and cutting a styled frame with it.
// Pure functions; any thread.

#include <optional>

#include "platform/image/Image.h"

enum class PlacementMode {
    fit,      // one factor for both axes, the smaller: the picture keeps its shape, centred
    stretch,  // each axis its own factor: the picture fills the rect
};

// `mask` (extent at the origin) scaled and then moved so that its centre lands on the centre of
// `rect` (normalised, lower-left origin) on a frame of extent `frame` (its origin is not added).
// The result's extent is where it lands. Nothing for an empty mask or an empty rect.
std::optional<Image> placeMask(const Image& mask, const Rect& frame, const Rect& rect,
                               PlacementMode mode);

// `image` kept only where `mask` is, weighted by the mask's alpha. An 8-bit mask also cuts a
// 16-bit frame. Logs "Không thể tạo bộ lọc CISourceInCompositing." and gives nothing when the
// two cannot be composited (an empty input).
std::optional<Image> clipToMask(const Image& mask, const Image& image);

// `picture` at the bit depth of `like` (8-bit values widened to 16 bits or narrowed back), so
// an SDR picture can be laid over an HDR frame. Shares the pixels when the depths match.
Image withDepthOf(const Image& picture, const Image& like);
