#include "platform/image/ImageOps.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <type_traits>
#include <vector>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include "platform/image/GaussianBlurFilter.h"
#include "platform/image/PixelDepth.h"
#include "platform/image/PixelGrid.h"
#include "platform/image/ReductionCache.h"
#include "platform/image/ScratchRow.h"
#include "platform/image/SeparableResample.h"

namespace {

cv::Rect wholeOf(const cv::Mat& m) {
    return {0, 0, m.cols, m.rows};
}

Rect unionOf(const Rect& a, const Rect& b) {
    if (a.isEmpty()) return b;
    if (b.isEmpty()) return a;
    const double x0 = std::min(a.minX(), b.minX()), y0 = std::min(a.minY(), b.minY());
    return {x0, y0, std::max(a.maxX(), b.maxX()) - x0, std::max(a.maxY(), b.maxY()) - y0};
}

// A transparent picture covering `extent` with `other`'s pixels copied in where they fall.
Image canvasWith(const Image& other, const Rect& extent) {
    if (extent == other.extent && pixelRectOf(extent, extent).size() == other.pixels.size()) {
        Image same(other.pixels.clone(), extent);
        same.properties = other.properties;
        return same;
    }
    const cv::Rect whole = pixelRectOf(extent, extent);
    Image out(cv::Mat::zeros(whole.height, whole.width, other.pixels.type()), extent);
    const cv::Rect at = pixelRectOf(extent, other.extent) & whole;
    if (!at.empty()) {
        const cv::Rect from = pixelRectOf(other.extent, planeRectOf(extent, at));
        other.pixels(from).copyTo(out.pixels(at));
    }
    out.properties = other.properties;
    return out;
}

// `m` in the given depth (CV_8U or CV_16U), full scale mapped to full scale.
cv::Mat inDepth(const cv::Mat& m, int depth) {
    if (m.depth() == depth || m.empty()) return m;
    const double from = m.depth() == CV_8U ? 255.0 : m.depth() == CV_16U ? 65535.0 : 1.0;
    const double to = depth == CV_8U ? 255.0 : 65535.0;
    cv::Mat out;
    m.convertTo(out, depth, to / from);
    return out;
}

template <class Fn>
void forRows(int rows, Fn&& fn) {
    cv::parallel_for_(cv::Range(0, rows), [&](const cv::Range& r) {
        for (int y = r.start; y < r.end; ++y) fn(y);
    });
}

// Rounds a non-negative value to the channel type, saturating; simple enough to vectorise.
template <class T>
inline T rounded(float v) {
    return T(std::min(v + 0.5f, float(fullScale<T>())));
}

// d = a · wa + b · wb channel by channel, equally sized views. `weigh(y, wa, wb)` gives each
// pixel's two weights (fractions of 1) for row y; `b` may alias `d`.
template <class T, class Weigh>
void mixRows(const cv::Mat& a, const cv::Mat& b, cv::Mat d, Weigh&& weigh) {
    cv::parallel_for_(cv::Range(0, d.rows), [&](const cv::Range& range) {
        const size_t n = size_t(d.cols);
        float* const wa = scratchRow<float>(n * 10);
        float* const wb = wa + n;
        float* const wa4 = wb + n;
        float* const wb4 = wa4 + n * 4;
        for (int y = range.start; y < range.end; ++y) {
            weigh(y, wa, wb);
            for (size_t x = 0; x < n; ++x)
                for (size_t c = 0; c < 4; ++c) wa4[x * 4 + c] = wa[x], wb4[x * 4 + c] = wb[x];
            const T* __restrict pa = a.ptr<T>(y);
            const T* pb = b.ptr<T>(y);
            T* pd = d.ptr<T>(y);  // may be b
            for (size_t i = 0; i < n * 4; ++i) pd[i] = rounded<T>(pa[i] * wa4[i] + pb[i] * wb4[i]);
        }
    });
}

// Alpha of each pixel of row y of `m` as a fraction of 1.
template <class T>
inline float alphaAt(const cv::Mat& m, int y, int x) {
    return m.ptr<T>(y)[x * 4 + 3] * (1.f / fullScale<T>());
}

// Wide enough for the product of two channel values, and a little more.
template <class T>
using Product = std::conditional_t<sizeof(T) == 1, uint16_t, uint32_t>;

// x / full scale, rounded to the nearest, for x up to full²: a shift-and-add form that
// vectorises, where a division would not.
template <class T>
inline Product<T> divideByFull(Product<T> x) {
    constexpr int bits = 8 * sizeof(T);
    x = Product<T>(x + (Product<T>(1) << (bits - 1)));
    return Product<T>((x + (x >> bits)) >> bits);
}

// One alpha per pixel (every `stride`-th value) repeated for its four channels, so the blends
// below run one straight loop over channel values, which the compiler vectorises.
template <class T>
void spreadAlpha(const T* __restrict alpha, int stride, int pixels, T* __restrict out) {
    for (int x = 0; x < pixels; ++x)
        for (int c = 0; c < 4; ++c) out[x * 4 + c] = alpha[x * stride];
}

template <class T>
void blendOverRow(const T* __restrict top, const T* __restrict alpha, int count,
                  T* __restrict dst) {
    for (int i = 0; i < count; ++i) {
        const Product<T> under = Product<T>(fullScale<T>() - alpha[i]);
        const Product<T> sum = Product<T>(top[i] + divideByFull<T>(Product<T>(dst[i] * under)));
        dst[i] = T(std::min<Product<T>>(sum, fullScale<T>()));
    }
}

template <class T>
void keepWithinRow(const T* __restrict src, const T* __restrict alpha, int count,
                   T* __restrict dst) {
    for (int i = 0; i < count; ++i) dst[i] = T(divideByFull<T>(Product<T>(src[i] * alpha[i])));
}

// `row(y, alpha)` for every row of `rows`, on several threads, each with a row-sized buffer
// for the spread alpha.
template <class T, class Row>
void forRowsWithAlpha(int rows, int pixels, Row&& row) {
    cv::parallel_for_(cv::Range(0, rows), [&](const cv::Range& range) {
        T* const alpha = scratchRow<T>(size_t(pixels) * 4);
        for (int y = range.start; y < range.end; ++y) row(y, alpha);
    });
}

// dst = top + dst · (1 − top alpha), over equally sized views, in integers.
template <class T>
void blendOver(const cv::Mat& top, cv::Mat dst) {
    forRowsWithAlpha<T>(dst.rows, dst.cols, [&](int y, T* alpha) {
        spreadAlpha(top.ptr<T>(y) + 3, 4, dst.cols, alpha);
        blendOverRow(top.ptr<T>(y), alpha, dst.cols * 4, dst.ptr<T>(y));
    });
}

// dst = src · mask alpha, over equally sized views; the mask's alpha is its last channel.
template <class T>
void keepWithin(const cv::Mat& src, const cv::Mat& mask, cv::Mat dst) {
    const int channels = mask.channels();
    forRowsWithAlpha<T>(dst.rows, dst.cols, [&](int y, T* alpha) {
        spreadAlpha(mask.ptr<T>(y) + channels - 1, channels, dst.cols, alpha);
        keepWithinRow(src.ptr<T>(y), alpha, dst.cols * 4, dst.ptr<T>(y));
    });
}

// `place`, with `reduce(kx, ky)` giving the picture's pixels averaged over kx × ky blocks.
template <class Reduce>
std::optional<Image> placeReduced(const Image& image, const AffineTransform& t,
                                  const std::optional<Rect>& within, Reduce&& reduce) {
    if (image.empty() || t.b != 0 || t.c != 0 || !(t.a > 0) || !(t.d > 0)) return std::nullopt;
    const Rect& from = image.extent;
    const Rect lands{t.a * from.x + t.tx, t.d * from.y + t.ty, t.a * from.width, t.d * from.height};
    Rect extent = wholePixelsAround(lands);
    if (within) extent = extent.intersection(wholePixelsAround(*within));
    if (extent.isEmpty()) return std::nullopt;

    // Shrink by a whole factor with area averaging first, so the interpolation below never
    // reduces by more than two and does not alias. Whole factors keep OpenCV on its fast
    // block-averaging path: a fractional one costs tens of times more.
    auto factor = [](double scale) {
        return int(std::clamp(std::ceil(1 / (2 * scale)), 1.0, 1e6));
    };
    const cv::Mat source = reduce(factor(t.a), factor(t.d));

    // Output pixel (u, v) has its centre at plane (extent.x + u + 0.5, extent.maxY − v − 0.5);
    // map it back into source pixel coordinates (pixel i's centre at i). Beyond the source,
    // its edge pixels repeat.
    auto taps = [](int count, double step, double at, int sourceSize) {
        std::vector<ResampleTap> out(static_cast<size_t>(count));
        for (int i = 0; i < count; ++i) {
            const double s = at + step * i, whole = std::floor(s);
            const int first = int(std::clamp(whole, 0.0, sourceSize - 1.0));
            const int second = int(std::clamp(whole + 1, 0.0, sourceSize - 1.0));
            out[size_t(i)] = {first, second, float(s - whole)};
        }
        return out;
    };
    const double rx = source.cols / from.width, ry = source.rows / from.height;
    cv::Mat out = resampleSeparable(
        source,
        taps(int(extent.width), rx / t.a, ((extent.x + 0.5 - t.tx) / t.a - from.x) * rx - 0.5,
             source.cols),
        taps(int(extent.height), ry / t.d,
             (from.maxY() - (extent.maxY() - 0.5 - t.ty) / t.d) * ry - 0.5, source.rows),
        source.depth());
    // Inside, edges are sampled as clamped; the outer rows and columns then keep only the part
    // the landing rect covers, so a picture landing on whole pixels keeps hard edges.
    auto fade = [](cv::Mat line, double from, double to, int index) {
        const double covered =
            std::max(0.0, std::min(index + 1.0, to) - std::max(double(index), from));
        if (covered < 1) line.convertTo(line, -1, covered);
    };
    const double left = lands.minX() - extent.minX(), right = lands.maxX() - extent.minX();
    const double top = extent.maxY() - lands.maxY(), bottom = extent.maxY() - lands.minY();
    fade(out.col(0), left, right, 0);
    if (out.cols > 1) fade(out.col(out.cols - 1), left, right, out.cols - 1);
    fade(out.row(0), top, bottom, 0);
    if (out.rows > 1) fade(out.row(out.rows - 1), top, bottom, out.rows - 1);
    Image placed(out, extent);
    placed.properties = image.properties;
    return placed;
}

}  // namespace

namespace ImageOps {

Image crop(const Image& image, const Rect& area) {
    const cv::Rect at = pixelRectOf(image.extent, area) & wholeOf(image.pixels);
    if (at.empty()) return {};
    Image out(image.pixels(at), planeRectOf(image.extent, at));
    out.properties = image.properties;
    return out;
}

Image clampedCrop(const Image& image, const Rect& area) {
    if (image.empty()) return {};
    const cv::Rect want = pixelRectOf(image.extent, area);
    if (want.empty()) return {};
    const cv::Rect whole = wholeOf(image.pixels);
    // The nearest non-empty part of the picture; everything else repeats its edges.
    const int x0 = std::clamp(want.x, 0, whole.width - 1);
    const int y0 = std::clamp(want.y, 0, whole.height - 1);
    const int x1 = std::clamp(want.x + want.width, x0 + 1, whole.width);
    const int y1 = std::clamp(want.y + want.height, y0 + 1, whole.height);
    const cv::Rect inner(x0, y0, x1 - x0, y1 - y0);
    cv::Mat out = image.pixels(inner);
    const int padTop = std::max(0, y0 - want.y), padLeft = std::max(0, x0 - want.x);
    const int padBottom = std::max(0, want.y + want.height - y1);
    const int padRight = std::max(0, want.x + want.width - x1);
    if (padTop || padLeft || padBottom || padRight) {
        // Isolated: the picture may be a view into a larger buffer whose pixels must not show.
        cv::copyMakeBorder(out, out, padTop, padBottom, padLeft, padRight,
                           cv::BORDER_REPLICATE | cv::BORDER_ISOLATED);
        // When the area misses the picture, the edge row or column kept above is cut off again.
        out = out(
            cv::Rect(std::max(0, want.x - x0), std::max(0, want.y - y0), want.width, want.height));
    }
    Image result(out, planeRectOf(image.extent, want));
    result.properties = image.properties;
    return result;
}

std::optional<Image> place(const Image& image, const AffineTransform& t,
                           const std::optional<Rect>& within) {
    return placeReduced(image, t, within,
                        [&](int kx, int ky) { return reduceByWholeFactors(image.pixels, kx, ky); });
}

std::optional<Image> place(const ReductionCache& picture, const AffineTransform& t,
                           const std::optional<Rect>& within) {
    return placeReduced(picture.picture(), t, within,
                        [&](int kx, int ky) { return picture.reduced(kx, ky); });
}

Image colorMatrix(const Image& image, const ColorMatrix& matrix) {
    if (image.empty()) return {};
    const double full = image.pixels.depth() == CV_8U    ? 255.0
                        : image.pixels.depth() == CV_16U ? 65535.0
                                                         : 1.0;
    cv::Matx<double, 4, 5> m;
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) m(r, c) = matrix.rows[size_t(r)][size_t(c)];
        m(r, 4) = matrix.bias[size_t(r)] * full;
    }
    Image out(cv::Mat(), image.extent);
    cv::transform(image.pixels, out.pixels, m);
    out.properties = image.properties;
    return out;
}

Rect visibleBounds(const Image& image) {
    if (image.empty()) return {};
    cv::Mat alpha;
    cv::extractChannel(image.pixels, alpha, 3);
    const cv::Rect seen = cv::boundingRect(alpha > 0);  // any depth: bounding boxes want 8 bits
    return seen.empty() ? Rect{} : planeRectOf(image.extent, seen);
}

Image sourceOver(const Image& top, const Image& bottom) {
    return sourceOver(std::vector<Image>{top}, bottom);
}

Image sourceOver(const std::vector<Image>& layers, const Image& bottom, std::vector<Rect>* drawn) {
    // Over nothing, the first picture is the bottom.
    const Image* base = bottom.empty() ? nullptr : &bottom;
    std::vector<const Image*> tops;
    for (const Image& layer : layers) {
        if (layer.empty()) continue;
        if (base)
            tops.push_back(&layer);
        else
            base = &layer;
    }
    if (!base) return bottom;
    if (tops.empty()) return *base;
    Rect extent = base->extent;
    for (const Image* top : tops) extent = unionOf(extent, top->extent);
    Image out = canvasWith(*base, extent);
    for (const Image* top : tops) {
        if (drawn) drawn->push_back(top->extent);
        const cv::Rect at = pixelRectOf(extent, top->extent);
        const cv::Mat topPixels = inDepth(top->pixels, out.pixels.depth());
        dispatchDepth(out.pixels.depth(),
                      [&]<class T>() { blendOver<T>(topPixels, out.pixels(at)); });
    }
    return out;
}

Image fadedOver(const Image& top, const Image& bottom, double opacity) {
    const double c = std::clamp(opacity, 0.0, 1.0);
    if (top.empty() || top.extent != bottom.extent) {
        ColorMatrix scaleAlpha;
        scaleAlpha.rows = {{{0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, c}}};
        return sourceOver(sourceIn(top, colorMatrix(top, scaleAlpha)), bottom);
    }
    Image out(cv::Mat(bottom.pixels.size(), bottom.pixels.type()), bottom.extent);
    out.properties = bottom.properties;
    dispatchDepth(out.pixels.depth(), [&]<class T>() {
        const cv::Mat topPixels = inDepth(top.pixels, out.pixels.depth());
        mixRows<T>(topPixels, bottom.pixels, out.pixels, [&](int y, float* wa, float* wb) {
            for (int x = 0; x < out.width(); ++x) {
                // Top's alpha scaled by opacity, then top weighted by that alpha.
                const float alpha = alphaAt<T>(topPixels, y, x);
                wa[x] = float(c) * alpha;
                wb[x] = 1 - wa[x] * alpha;
            }
        });
    });
    return out;
}

Image alphaChannel(const Image& image) {
    Image alpha(cv::Mat(), image.extent);
    if (!image.empty()) cv::extractChannel(image.pixels, alpha.pixels, 3);
    return alpha;
}

Image sourceIn(const Image& image, const Image& mask) {
    if (image.empty() || mask.empty()) return {};
    const Rect overlap = image.extent.intersection(mask.extent);
    if (overlap.isEmpty()) return {};
    const cv::Mat src = image.pixels(pixelRectOf(image.extent, overlap));
    const cv::Mat alpha = inDepth(mask.pixels(pixelRectOf(mask.extent, overlap)), src.depth());
    Image out(cv::Mat(src.size(), src.type()), overlap);
    out.properties = image.properties;
    dispatchDepth(src.depth(), [&]<class T>() { keepWithin<T>(src, alpha, out.pixels); });
    return out;
}

Image blendWithMask(const Image& image, const Image& mask, const std::optional<Image>& background) {
    if (image.empty()) return {};
    const bool hasBackground = background && !background->empty();
    const Rect extent = hasBackground ? unionOf(image.extent, background->extent) : image.extent;
    Image out = hasBackground ? canvasWith(Image(inDepth(background->pixels, image.pixels.depth()),
                                                 background->extent),
                                           extent)
                              : canvasWith(image, extent);
    if (!hasBackground) out.pixels.setTo(cv::Scalar::all(0));
    out.properties = image.properties;
    const Rect overlap = image.extent.intersection(mask.extent);
    if (mask.empty() || overlap.isEmpty()) return out;
    const cv::Mat src = image.pixels(pixelRectOf(image.extent, overlap));
    const cv::Mat weights =
        inDepth(mask.pixels(pixelRectOf(mask.extent, overlap)), image.pixels.depth());
    cv::Mat dst = out.pixels(pixelRectOf(extent, overlap));
    dispatchDepth(src.depth(), [&]<class T>() {
        mixRows<T>(src, dst, dst, [&](int y, float* wa, float* wb) {
            const T* m = weights.ptr<T>(y);
            for (int x = 0; x < src.cols; ++x) {
                // Rec. 601 brightness of the (premultiplied) mask.
                const float w =
                    (0.299f * m[x * 4] + 0.587f * m[x * 4 + 1] + 0.114f * m[x * 4 + 2]) *
                    (1.f / fullScale<T>());
                wa[x] = std::min(w, 1.f);
                wb[x] = 1 - wa[x];
            }
        });
    });
    return out;
}

Image colorThreshold(const Image& image, double threshold) {
    if (image.empty()) return {};
    Image out(cv::Mat(image.pixels.size(), image.pixels.type()), image.extent);
    out.properties = image.properties;
    dispatchDepth(image.pixels.depth(), [&]<class T>() {
        forRows(image.height(), [&](int y) {
            const T* s = image.pixels.ptr<T>(y);
            T* d = out.pixels.ptr<T>(y);
            for (int x = 0; x < image.width() * 4; x += 4) {
                const T alpha = s[x + 3];
                // Compare unpremultiplied: c / alpha >= threshold.
                const double bar = threshold * alpha;
                for (int c = 0; c < 3; ++c)
                    d[x + c] = (alpha > 0 && s[x + c] >= bar) ? alpha : T(0);
                d[x + 3] = alpha;
            }
        });
    });
    return out;
}

Image gaussianBlur(const Image& image, double sigma) {
    return GaussianBlurFilter(sigma).apply(image);
}

}  // namespace ImageOps
