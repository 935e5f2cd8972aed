#include "platform/image/DownsampledFilter.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include <opencv2/core.hpp>

#include "platform/image/CellAverage.h"
#include "platform/image/SeparableResample.h"

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
std::vector<ResampleTap> tapsFor(int start, int count, int k, int bufferStart) {
    std::vector<ResampleTap> taps(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        const int p = start + i;
        const int c0 = cellBefore(p, k);
        const float t = float((p + 0.5) / k - 0.5 - c0);
        taps[size_t(i)] = {c0 - bufferStart, c0 + 1 - bufferStart, t};
    }
    return taps;
}

}  // namespace

namespace DownsampledFilter {

cv::Mat apply(const cv::Mat& frame, const cv::Rect& requested, int factor, int cellReach,
              const CellFilter& filter) {
    const cv::Rect area = requested & cv::Rect(0, 0, frame.cols, frame.rows);
    if (area.empty()) return cv::Mat(area.size(), frame.type());
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
    return resampleSeparable(filtered, tapsFor(area.x, area.width, k, cx0),
                             tapsFor(area.y, area.height, k, cy0), frame.depth());
}

}  // namespace DownsampledFilter
