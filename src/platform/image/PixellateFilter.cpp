#include "platform/image/PixellateFilter.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include <opencv2/core.hpp>

#include "platform/image/CellAverage.h"
#include "platform/image/PixelDepth.h"

namespace {

// Boundaries of the cells that pixels [start, start + count) of an axis of `length` pixels fall
// in. Cell i starts at the first pixel whose centre lies at or past i · scale from the middle.
std::vector<int> cellBounds(int start, int count, int length, double scale) {
    const double middle = length / 2.0;
    auto cellOf = [&](int p) { return int(std::floor((p + 0.5 - middle) / scale)); };
    auto firstPixelOf = [&](int cell) {
        return std::clamp(int(std::ceil(cell * scale + middle - 0.5)), 0, length);
    };
    const int first = cellOf(start), last = cellOf(start + count - 1);
    std::vector<int> bounds;
    for (int cell = first; cell <= last + 1; ++cell) bounds.push_back(firstPixelOf(cell));
    bounds.front() = std::min(bounds.front(), start);
    bounds.back() = std::max(bounds.back(), start + count);
    return bounds;
}

// For each pixel of [start, start + count), the index of its cell in `bounds`.
std::vector<int> cellIndexOfPixels(const std::vector<int>& bounds, int start, int count) {
    std::vector<int> index(static_cast<size_t>(count));
    size_t cell = 0;
    for (int i = 0; i < count; ++i) {
        while (bounds[cell + 1] <= start + i) ++cell;
        index[size_t(i)] = int(cell);
    }
    return index;
}

template <class T>
void fill(const cv::Mat& means, const std::vector<int>& columnCell, const std::vector<int>& rowCell,
          cv::Mat& out) {
    cv::parallel_for_(cv::Range(0, out.rows), [&](const cv::Range& range) {
        for (int y = range.start; y < range.end; ++y) {
            const T* cells = means.ptr<T>(rowCell[size_t(y)]);
            T* dst = out.ptr<T>(y);
            for (int x = 0; x < out.cols; ++x)
                std::copy_n(cells + columnCell[size_t(x)] * 4, 4, dst + x * 4);
        }
    });
}

}  // namespace

cv::Mat PixellateFilter::filterPixels(const cv::Mat& frame, const cv::Rect& area) const {
    if (!(scale_ > 1)) return frame(area);  // every pixel its own cell
    const auto columns = cellBounds(area.x, area.width, frame.cols, scale_);
    const auto rows = cellBounds(area.y, area.height, frame.rows, scale_);
    cv::Mat means;
    averageCells(frame, columns, rows).convertTo(means, frame.depth());
    cv::Mat out(area.size(), frame.type());
    const auto columnCell = cellIndexOfPixels(columns, area.x, area.width);
    const auto rowCell = cellIndexOfPixels(rows, area.y, area.height);
    dispatchDepth(frame.depth(), [&]<class T>() { fill<T>(means, columnCell, rowCell, out); });
    return out;
}
