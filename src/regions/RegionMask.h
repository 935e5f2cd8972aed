#pragma once
// Placing a region's mask (or emoji picture) over a frame, and cutting a styled frame with it.
//
// Pure functions; any thread. The mask and frame are only read; results are new pictures
// (or share the inputs' pixels).

#include <optional>

#include "platform/image/Geometry.h"
#include "platform/image/Image.h"

class ReductionCache;

enum class PlacementMode {
    fit,      // one scale for both axes, the smaller of the two: keeps the aspect, never overflows
    stretch,  // each axis its own scale: fills the rect
};

// `mask` scaled (by `mode`) and moved so its centre lands on the centre of `rect`, a rect
// normalised to `frame` (0...1, origin lower-left). The frame's extent gives its size; its
// origin is not added. The result's extent is where the mask lands, cut to `within` (frame
// pixels) when given: only the part a caller uses is drawn. Nothing when the mask or frame is
// empty, the rect has no area or nothing lands within `within`.
std::optional<Image> placeMask(const Image& mask, const Image& frame, const Rect& rect,
                               PlacementMode mode,
                               const std::optional<Rect>& within = std::nullopt);
// The same for a cached picture, reusing its reductions (for pictures placed every frame).
std::optional<Image> placeMask(const ReductionCache& mask, const Image& frame, const Rect& rect,
                               PlacementMode mode);

// The part of `mask` holding every pixel that is not fully transparent, plus the one pixel
// around them that a bilinear enlargement still reads, as fractions of its extent (origin
// lower-left); empty when the whole mask is transparent. A mask's canvas leaves room around its
// shape for the feather: styling and compositing only the visible part saves the rest.
Rect visibleMaskPart(const Image& mask);

// The part of `rect` (normalised to a frame of extent `frameExtent`, as above) in which a mask
// with visible part `visiblePart`, stretched over the whole of `rect`, leaves any pixel not
// fully transparent.
Rect visibleMaskRect(const Rect& visiblePart, const Rect& frameExtent, const Rect& rect);

// `image` kept where the placed `mask` is, weighted by its alpha, transparent elsewhere.
// Prints "Không thể tạo bộ lọc CISourceInCompositing." and gives nothing when either input is
// empty.
std::optional<Image> clipToMask(const Image& mask, const Image& image);
