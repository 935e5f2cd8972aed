#pragma once
// The basic picture operations the filter chain and the region masks are built from.
//
// Every function takes its inputs by const reference and returns a new Image (or shares the
// input's pixels where it says so); inputs are never written. Any thread may call any of them
// at the same time. Pictures are premultiplied RGBA, CV_8UC4 or CV_16UC4 (colorMatrix also
// takes CV_32FC4). When two inputs differ in depth, the result takes the depth of the frame-like
// one (the bottom, the kept image) and the other is converted. Extents lie on whole pixels.

#include <array>
#include <optional>
#include <vector>

#include "platform/image/Image.h"

class ReductionCache;

// out = rows · (r, g, b, a) + bias, on the premultiplied values. Bias is a fraction of full
// scale. For matrices that keep alpha, or that zero the colours, this equals applying the
// matrix to unpremultiplied colours and premultiplying again.
struct ColorMatrix {
    std::array<std::array<double, 4>, 4> rows{
        {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}};
    std::array<double, 4> bias{};
};

namespace ImageOps {

// The part of `image` inside `area` (rounded out to whole pixels), sharing its pixels.
Image crop(const Image& image, const Rect& area);

// `image` with its edge pixels extended without limit, cropped to `area`: a new picture whose
// extent is exactly `area` (rounded out to whole pixels). Empty when `image` is empty.
Image clampedCrop(const Image& image, const Rect& area);

// `image` scaled by (sx, sy) about the plane's origin, then moved by (tx, ty): transform's
// b and c must be 0 and a, d positive. The result covers the whole pixels the picture lands on
// (only those inside `within`, when given), transparent outside it; its extent is where it
// lands (rounded out to whole pixels). Nothing for other transforms, an empty image, or when
// nothing lands within `within`.
std::optional<Image> place(const Image& image, const AffineTransform& transform,
                           const std::optional<Rect>& within = std::nullopt);
// The same for the cache's picture, reusing the reductions it keeps.
std::optional<Image> place(const ReductionCache& picture, const AffineTransform& transform,
                           const std::optional<Rect>& within = std::nullopt);

// Each pixel through `matrix`, results clamped to the depth's range (CV_32FC4 is not clamped).
Image colorMatrix(const Image& image, const ColorMatrix& matrix);

// The smallest whole-pixel part of the extent holding every pixel that is not fully
// transparent; empty when there is none.
Rect visibleBounds(const Image& image);

// `top` laid over `bottom`; the extent is the smallest holding both.
Image sourceOver(const Image& top, const Image& bottom);

// Each of `layers` laid over `bottom` in turn, the last on top: one copy of `bottom`, however
// many layers. The extent is the smallest holding them all. When `drawn` is given, the extent
// of each layer drawn over `bottom` is appended to it: outside those the result is `bottom`.
Image sourceOver(const std::vector<Image>& layers, const Image& bottom,
                 std::vector<Rect>* drawn = nullptr);

// `top` laid over `bottom` at `opacity` (0...1): the same as source-in of `top` against a copy
// of itself whose alpha is scaled by `opacity`, then source-over `bottom`, in one pass.
Image fadedOver(const Image& top, const Image& bottom, double opacity);

// The alpha channel alone, a one-channel picture of the same extent and depth: for masks, of
// which only alpha is read.
Image alphaChannel(const Image& image);

// `image` kept where `mask` is, weighted by the mask's alpha; extent = the overlap of the two.
// The mask may also be a lone alpha channel (CV_8UC1 or CV_16UC1).
Image sourceIn(const Image& image, const Image& mask);

// `image` where `mask` is bright, `background` (transparent when none) where it is dark,
// mixed by the mask's brightness in between. The extent is `image`'s (united with the
// background's); outside the mask counts as dark.
Image blendWithMask(const Image& image, const Image& mask,
                    const std::optional<Image>& background = std::nullopt);

// Each colour channel full where its unpremultiplied value is at least `threshold` (0...1),
// zero otherwise; alpha is kept.
Image colorThreshold(const Image& image, double threshold);

// A Gaussian blur of standard deviation `sigma` pixels with the edges clamped (pixels beyond
// the extent repeat the edge), cropped back to the extent. Cost does not grow with sigma.
Image gaussianBlur(const Image& image, double sigma);

}  // namespace ImageOps
