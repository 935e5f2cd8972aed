#include "platform/image/BokehBlurFilter.h"

#include <algorithm>
#include <cmath>

#include <opencv2/imgproc.hpp>

#include "platform/image/DownsampledFilter.h"

namespace {

// The disc spans about this many cells: enough for a round shape, few enough taps to be cheap.
constexpr double CELLS_PER_RADIUS = 4.0;

// Disc weights in cells: coverage of each tap by the disc (one cell of anti-aliasing, widened by
// the softness), the ring emphasised, normalised to sum 1.
cv::Mat discKernel(double radius, double ringAmount, double ringSize, double softness) {
    const int reach = int(std::ceil(radius + 0.5));
    cv::Mat kernel(2 * reach + 1, 2 * reach + 1, CV_32F);
    const double feather = 1 + std::max(0.0, softness) * radius;
    const double ringStart = radius * (1 - std::clamp(ringSize, 0.0, 1.0));
    for (int y = -reach; y <= reach; ++y)
        for (int x = -reach; x <= reach; ++x) {
            const double d = std::hypot(x, y);
            const double inside = std::clamp((radius + feather / 2 - d) / feather, 0.0, 1.0);
            const double ring = std::clamp(d - ringStart + 0.5, 0.0, 1.0);
            kernel.at<float>(y + reach, x + reach) = float(inside * (1 + ringAmount * ring));
        }
    return kernel / cv::sum(kernel)[0];
}

}  // namespace

cv::Mat BokehBlurFilter::filterPixels(const cv::Mat& frame, const cv::Rect& area) const {
    if (!(radius_ >= 0.5)) return frame(area);
    const int factor = std::max(1, int(std::round(radius_ / CELLS_PER_RADIUS)));
    const cv::Mat kernel =
        discKernel(radius_ / factor, std::max(0.0, ringAmount_), ringSize_, softness_);
    return DownsampledFilter::apply(
        frame, area, factor, kernel.rows / 2, [&](const cv::Mat& in, cv::Mat& out) {
            cv::filter2D(in, out, CV_32F, kernel, {-1, -1}, 0, cv::BORDER_REPLICATE);
        });
}
