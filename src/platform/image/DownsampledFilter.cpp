#include "platform/image/DownsampledFilter.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include <opencv2/core.hpp>

#include "platform/image/CellAverage.h"
#include "platform/image/PixelDepth.h"

namespace {

int floorDiv(int a, int b) {
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

// The cell whose centre is at or left of pixel p's centre: floor((p + 0.5) / k − 0.5).
int cellBefore(int p, int k) {
    return floorDiv(2 * p + 1 - k, 2 * k);
}

// Boundaries of `count` cells of side k from cell `first` on.
std::vector<int> cellBounds(int first, int count, int k) {
    std::vector<int> bounds(static_cast<size_t>(count) + 1);
    for (int i = 0; i <= count; ++i) bounds[size_t(i)] = (first + i) * k;
    return bounds;
}

// Where pixel p falls between two cell centres: the two cells, relative to the first buffered
// cell, and the weight of the second.
struct Tap {
    int first, second;
    float weight;
};

std::vector<Tap> tapsFor(int start, int count, int k, int bufferStart) {
    std::vector<Tap> taps(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        const int p = start + i;
        const int c0 = cellBefore(p, k);
        const float t = float((p + 0.5) / k - 0.5 - c0);
        taps[size_t(i)] = {c0 - bufferStart, c0 + 1 - bufferStart, t};
    }
    return taps;
}

// Widens one row of cells to output columns. Plain arguments keep the loops' values in
// registers (an 8-bit store could otherwise alias anything they read).
void widenRow(const float* __restrict cells, const Tap* __restrict columns, int width,
              float* __restrict out) {
    for (int x = 0; x < width; ++x) {
        const Tap c = columns[x];
        const float* l = cells + c.first * 4;
        const float* m = cells + c.second * 4;
        for (int ch = 0; ch < 4; ++ch) out[x * 4 + ch] = l[ch] + c.weight * (m[ch] - l[ch]);
    }
}

template <class T>
void mixRow(const float* __restrict a, const float* __restrict b, float weight, int count,
            T* __restrict dst) {
    const float top = float(fullScale<T>());
    for (int i = 0; i < count; ++i)
        dst[i] = T(std::clamp(a[i] + weight * (b[i] - a[i]) + 0.5f, 0.f, top));
}

// Interpolates across first (only the rows of cells, few) and then down (every output row,
// a straight vectorisable loop).
template <class T>
void interpolateBack(const cv::Mat& cells, const std::vector<Tap>& columns,
                     const std::vector<Tap>& rows, cv::Mat& out) {
    cv::Mat wide(cells.rows, out.cols, CV_32FC4);
    cv::parallel_for_(cv::Range(0, cells.rows), [&](const cv::Range& range) {
        for (int j = range.start; j < range.end; ++j)
            widenRow(cells.ptr<float>(j), columns.data(), out.cols, wide.ptr<float>(j));
    });
    cv::parallel_for_(cv::Range(0, out.rows), [&](const cv::Range& range) {
        for (int y = range.start; y < range.end; ++y) {
            const Tap& r = rows[size_t(y)];
            mixRow<T>(wide.ptr<float>(r.first), wide.ptr<float>(r.second), r.weight, out.cols * 4,
                      out.ptr<T>(y));
        }
    });
}

}  // namespace

namespace DownsampledFilter {

cv::Mat apply(const cv::Mat& frame, const cv::Rect& requested, int factor, int cellReach,
              const CellFilter& filter) {
    const cv::Rect area = requested & cv::Rect(0, 0, frame.cols, frame.rows);
    cv::Mat out(area.size(), frame.type());
    if (area.empty()) return out;
    const int k = std::max(1, factor);
    // The cells interpolation reads, widened by the filter's reach. Cells beyond the frame
    // average its clamped edges, so the filter sees what it would on the clamped frame.
    const int cx0 = cellBefore(area.x, k) - cellReach;
    const int cx1 = cellBefore(area.x + area.width - 1, k) + 1 + cellReach;
    const int cy0 = cellBefore(area.y, k) - cellReach;
    const int cy1 = cellBefore(area.y + area.height - 1, k) + 1 + cellReach;
    const cv::Mat cells =
        averageCells(frame, cellBounds(cx0, cx1 - cx0 + 1, k), cellBounds(cy0, cy1 - cy0 + 1, k));
    cv::Mat filtered;
    filter(cells, filtered);
    const auto columns = tapsFor(area.x, area.width, k, cx0);
    const auto rows = tapsFor(area.y, area.height, k, cy0);
    dispatchDepth(frame.depth(),
                  [&]<class T>() { interpolateBack<T>(filtered, columns, rows, out); });
    return out;
}

}  // namespace DownsampledFilter
