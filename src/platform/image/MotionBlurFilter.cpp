#include "platform/image/MotionBlurFilter.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include <opencv2/core.hpp>

#include "platform/image/PixelDepth.h"
#include "platform/image/ScratchRow.h"

namespace {

// One row: `src` is the frame row (`cols` pixels), `dst` receives columns x0...x0 + width − 1.
// Plain arguments rather than captures keep the loop's values in registers: stores through an
// 8-bit pointer could otherwise alias anything.
template <class T>
void blurRow(const T* src, int cols, int x0, int width, int whole, float edge, float norm,
             int32_t* __restrict line, T* __restrict dst) {
    const int reach = whole + 1;
    // The row with its clamped extension, so the running sum needs no bounds checks.
    for (int i = 0; i < width + 2 * reach; ++i) {
        const int x = std::clamp(x0 - reach + i, 0, cols - 1);
        for (int c = 0; c < 4; ++c) line[i * 4 + c] = src[x * 4 + c];
    }
    const int32_t* __restrict l = line + reach * 4;  // l[x * 4] is output column x
    int32_t sum[4] = {0, 0, 0, 0};
    for (int x = -whole; x <= whole; ++x)
        for (int c = 0; c < 4; ++c) sum[c] += l[x * 4 + c];
    const float top = float(fullScale<T>());
    for (int x = 0; x < width; ++x) {
        for (int c = 0; c < 4; ++c) {
            const int32_t ends = l[(x - reach) * 4 + c] + l[(x + reach) * 4 + c];
            const float v = (float(sum[c]) + edge * float(ends)) * norm;
            dst[x * 4 + c] = T(std::min(v + 0.5f, top));
            sum[c] += l[(x + reach) * 4 + c] - l[(x - whole) * 4 + c];
        }
    }
}

template <class T>
void blurRows(const cv::Mat& frame, const cv::Rect& area, double radius, cv::Mat& out) {
    const int whole = int(std::floor(radius));
    const float edge = float(radius - whole);  // weight of the two end pixels
    const float norm = 1.f / (2 * whole + 1 + 2 * edge);
    cv::parallel_for_(cv::Range(0, area.height), [&](const cv::Range& range) {
        int32_t* const line = scratchRow<int32_t>(size_t(area.width + 2 * whole + 2) * 4);
        for (int y = range.start; y < range.end; ++y)
            blurRow<T>(frame.ptr<T>(area.y + y), frame.cols, area.x, area.width, whole, edge, norm,
                       line, out.ptr<T>(y));
    });
}

}  // namespace

cv::Mat MotionBlurFilter::filterPixels(const cv::Mat& frame, const cv::Rect& area) const {
    if (!(radius_ > 0)) return frame(area);
    cv::Mat out(area.size(), frame.type());
    dispatchDepth(frame.depth(), [&]<class T>() { blurRows<T>(frame, area, radius_, out); });
    return out;
}
