#include "platform/image/MotionBlurFilter.h"

#include <algorithm>
#include <cmath>

#include <opencv2/core.hpp>

#include "platform/image/PixelDepth.h"

namespace {

template <class T>
void blurRows(const cv::Mat& frame, const cv::Rect& area, double radius, cv::Mat& out) {
    const int whole = int(std::floor(radius));
    const float edge = float(radius - whole);  // weight of the two end pixels
    const float norm = 1.f / (2 * whole + 1 + 2 * edge);
    const int last = frame.cols - 1;
    auto at = [last](int x) { return std::clamp(x, 0, last) * 4; };
    cv::parallel_for_(cv::Range(0, area.height), [&](const cv::Range& range) {
        for (int y = range.start; y < range.end; ++y) {
            const T* src = frame.ptr<T>(area.y + y);
            T* dst = out.ptr<T>(y);
            int64_t sum[4] = {0, 0, 0, 0};
            for (int x = area.x - whole; x <= area.x + whole; ++x)
                for (int c = 0; c < 4; ++c) sum[c] += src[at(x) + c];
            for (int i = 0; i < area.width; ++i) {
                const int x = area.x + i;
                const int left = at(x - whole - 1), right = at(x + whole + 1);
                for (int c = 0; c < 4; ++c) {
                    const float ends = float(src[left + c] + src[right + c]);
                    dst[i * 4 + c] = toChannel<T>((float(sum[c]) + edge * ends) * norm);
                }
                const int leaving = at(x - whole), entering = right;
                for (int c = 0; c < 4; ++c) sum[c] += src[entering + c] - src[leaving + c];
            }
        }
    });
}

}  // namespace

cv::Mat MotionBlurFilter::filterPixels(const cv::Mat& frame, const cv::Rect& area) const {
    if (!(radius_ > 0)) return frame(area);
    cv::Mat out(area.size(), frame.type());
    dispatchDepth(frame.depth(), [&]<class T>() { blurRows<T>(frame, area, radius_, out); });
    return out;
}
