#include "platform/image/CellAverage.h"

#include <algorithm>

#include <opencv2/core.hpp>

#include "platform/image/PixelDepth.h"

namespace {

template <class T>
void average(const cv::Mat& frame, const std::vector<int>& cols, const std::vector<int>& rows,
             cv::Mat& out) {
    const int x0 = cols.front(), x1 = cols.back();
    cv::parallel_for_(cv::Range(0, out.rows), [&](const cv::Range& range) {
        std::vector<float> sums(size_t(x1 - x0) * 4);
        for (int j = range.start; j < range.end; ++j) {
            const int y0 = rows[size_t(j)], y1 = rows[size_t(j) + 1];
            std::fill(sums.begin(), sums.end(), 0.f);
            for (int y = y0; y < y1; ++y) {
                const T* row = frame.ptr<T>(y) + x0 * 4;
                for (size_t i = 0; i < sums.size(); ++i) sums[i] += row[i];
            }
            float* dst = out.ptr<float>(j);
            for (int c = 0; c < out.cols; ++c) {
                const int cx0 = cols[size_t(c)] - x0, cx1 = cols[size_t(c) + 1] - x0;
                float acc[4] = {0, 0, 0, 0};
                for (int x = cx0; x < cx1; ++x)
                    for (int ch = 0; ch < 4; ++ch) acc[ch] += sums[size_t(x) * 4 + ch];
                const float inv = 1.f / float(std::max(1, (cx1 - cx0) * (y1 - y0)));
                for (int ch = 0; ch < 4; ++ch) dst[c * 4 + ch] = acc[ch] * inv;
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
