#include "platform/image/MaskOps.h"

#include <algorithm>
#include <cmath>

#include <opencv2/imgproc.hpp>

namespace MaskOps {

Image stretched(const Image& mask, const Rect& extent) {
    const int width = int(std::lround(extent.width)), height = int(std::lround(extent.height));
    if (mask.empty() || width <= 0 || height <= 0) return {};
    cv::Mat out;
    if (mask.pixels.size() == cv::Size(width, height))
        out = mask.pixels;
    else
        cv::resize(mask.pixels, out, {width, height}, 0, 0, cv::INTER_LINEAR);
    return Image(out, extent);
}

Image blurred(const Image& mask, double sigmaX, double sigmaY) {
    // Beyond the mask's own size a wider kernel changes nothing visible but costs time.
    const double widest = std::max(mask.width(), mask.height());
    auto usable = [&](double sigma) {
        return std::isfinite(sigma) && sigma >= 0.3 ? std::min(sigma, widest) : 0.0;
    };
    auto side = [](double sigma) { return sigma > 0 ? 2 * int(std::ceil(3 * sigma)) + 1 : 1; };
    const double sx = usable(sigmaX), sy = usable(sigmaY);
    if (mask.empty() || (sx == 0 && sy == 0)) return mask;
    cv::Mat out;
    cv::GaussianBlur(mask.pixels, out, {side(sx), side(sy)}, sx, sy,
                     cv::BORDER_REPLICATE | cv::BORDER_ISOLATED);
    return Image(out, mask.extent);
}

Image thresholded(const Image& mask, double threshold) {
    if (mask.empty()) return {};
    // cv::threshold keeps values strictly above its bar; "at least t" is above ceil(t·255) − 1.
    const double bar = std::ceil(threshold * 255) - 1;
    cv::Mat out;
    cv::threshold(mask.pixels, out, bar, 255, cv::THRESH_BINARY);
    return Image(out, mask.extent);
}

Image asPicture(const Image& mask) {
    if (mask.empty()) return {};
    cv::Mat out;
    cv::cvtColor(mask.pixels, out, cv::COLOR_GRAY2RGBA);
    return Image(out, mask.extent);
}

}  // namespace MaskOps
