#include "platform/image/GaussianBlurFilter.h"

#include <algorithm>
#include <cmath>

#include <opencv2/imgproc.hpp>

#include "platform/image/DownsampledFilter.h"

namespace {

// Below this many pixels of sigma per cell the interpolation back would show.
constexpr double SIGMA_PER_CELL = 3.0;

int kernelSide(double sigma) {
    return 2 * int(std::ceil(3 * sigma)) + 1;
}

}  // namespace

cv::Mat GaussianBlurFilter::filterPixels(const cv::Mat& frame, const cv::Rect& area) const {
    if (!(sigma_ >= 0.3)) return frame(area);  // below a tenth of a level anywhere
    const int factor = int(std::floor(sigma_ / SIGMA_PER_CELL));
    cv::Mat out;
    if (factor <= 1) {
        // Blur the area with its neighbours within reach; the padded view's own edges are
        // either the frame's edges or far enough away not to matter.
        const int side = kernelSide(sigma_), reach = side / 2;
        const cv::Rect padded = cv::Rect(area.x - reach, area.y - reach, area.width + 2 * reach,
                                         area.height + 2 * reach) &
                                cv::Rect(0, 0, frame.cols, frame.rows);
        cv::GaussianBlur(frame(padded), out, {side, side}, sigma_, sigma_,
                         cv::BORDER_REPLICATE | cv::BORDER_ISOLATED);
        return out(area - padded.tl());
    }
    // Take out what averaging into cells and interpolating back add.
    const double k2 = double(factor) * factor;
    const double cellSigma =
        std::sqrt(std::max(sigma_ * sigma_ - (k2 - 1) / 12 - k2 / 6, 0.25 * k2)) / factor;
    const int side = kernelSide(cellSigma);
    return DownsampledFilter::apply(frame, area, factor, side / 2,
                                    [&](const cv::Mat& in, cv::Mat& filtered) {
                                        cv::GaussianBlur(in, filtered, {side, side}, cellSigma,
                                                         cellSigma, cv::BORDER_REPLICATE);
                                    });
}
