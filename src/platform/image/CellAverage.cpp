#include "platform/image/CellAverage.h"

#include <algorithm>
#include <cstdint>

#include <opencv2/core.hpp>

#include "platform/image/PixelDepth.h"
#include "platform/image/ScratchRow.h"

namespace {

template <class T>
void average(const cv::Mat& frame, const std::vector<int>& cols, const std::vector<int>& rows,
             cv::Mat& out) {
    // Column sums are kept for the real columns the cells reach; cells beyond read the edges.
    const int x0 = std::clamp(cols.front(), 0, frame.cols - 1);
    const int x1 = std::clamp(cols.back(), x0 + 1, frame.cols);
    auto column = [&](int x) { return size_t(std::clamp(x, x0, x1 - 1) - x0) * 4; };
    cv::parallel_for_(cv::Range(0, out.rows), [&](const cv::Range& range) {
        // Whole numbers: exact, and the row sums vectorise better than in floats. A column sums
        // at most a cell's side of rows, and a cell at most side² pixels.
        const size_t width = size_t(x1 - x0) * 4;
        uint32_t* const sums = scratchRow<uint32_t>(width);
        auto addRow = [&](int y, uint32_t times) {
            const T* __restrict row = frame.ptr<T>(y) + x0 * 4;
            uint32_t* __restrict sum = sums;
            for (size_t i = 0; i < width; ++i) sum[i] += times * row[i];
        };
        for (int j = range.start; j < range.end; ++j) {
            const int y0 = rows[size_t(j)], y1 = rows[size_t(j) + 1];
            std::fill_n(sums, width, 0u);
            // Rows above and below the frame repeat its first and last rows.
            if (const int above = std::min(y1, 0) - y0; above > 0) addRow(0, uint32_t(above));
            if (const int below = y1 - std::max(y0, frame.rows); below > 0)
                addRow(frame.rows - 1, uint32_t(below));
            for (int y = std::max(y0, 0); y < std::min(y1, frame.rows); ++y) addRow(y, 1);
            float* dst = out.ptr<float>(j);
            for (int c = 0; c < out.cols; ++c) {
                const int cx0 = cols[size_t(c)], cx1 = cols[size_t(c) + 1];
                uint64_t acc[4] = {0, 0, 0, 0};
                for (int x = cx0; x < cx1; ++x)
                    for (int ch = 0; ch < 4; ++ch) acc[ch] += sums[column(x) + size_t(ch)];
                const double inv = 1.0 / std::max(1, (cx1 - cx0) * (y1 - y0));
                for (int ch = 0; ch < 4; ++ch) dst[c * 4 + ch] = float(double(acc[ch]) * inv);
            }
        }
    });
}

}  // namespace

cv::Mat averageCells(const cv::Mat& frame, const std::vector<int>& columnBounds,
                     const std::vector<int>& rowBounds) {
    cv::Mat out(int(rowBounds.size()) - 1, int(columnBounds.size()) - 1, CV_32FC4);
    if (out.empty()) return out;
    dispatchDepth(frame.depth(),
                  [&]<class T>() { average<T>(frame, columnBounds, rowBounds, out); });
    return out;
}
