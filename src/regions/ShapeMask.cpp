#include "regions/ShapeMask.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "platform/image/ImageOps.h"

namespace {

// Signed distance from (x, y) to a rounded square (negative inside).
double roundedSquareDistance(double x, double y, double centre, double halfSide, double radius) {
    const double qx = std::abs(x - centre) - (halfSide - radius);
    const double qy = std::abs(y - centre) - (halfSide - radius);
    const double outside = std::hypot(std::max(qx, 0.0), std::max(qy, 0.0));
    const double inside = std::min(std::max(qx, qy), 0.0);
    return outside + inside - radius;
}

uint8_t toByte(double fraction) {
    return uint8_t(std::lround(std::clamp(fraction, 0.0, 1.0) * 255));
}

}  // namespace

std::optional<Image> makeShapeMask(RGBAColor color, int size, double cornerRadius, double sigma) {
    if (size < 1 || size > MAX_MASK_SIDE || !(cornerRadius >= 0) || !(sigma >= 0)) {
        return std::nullopt;
    }
    const double centre = size / 2.0;
    const double halfSide = size / 4.0;
    const double side = 2 * halfSide;
    const double radius = cornerRadius >= side / 3 ? halfSide : cornerRadius;

    cv::Mat pixels(size, size, CV_8UC4);
    for (int row = 0; row < size; ++row) {
        auto* out = pixels.ptr<cv::Vec4b>(row);
        for (int col = 0; col < size; ++col) {
            // Coverage of a pixel from the distance at its centre: exact on straight edges
            // that fall between pixels, half a pixel of ramp on curves.
            const double d = roundedSquareDistance(col + 0.5, row + 0.5, centre, halfSide, radius);
            const double alpha = color.alpha * std::clamp(0.5 - d, 0.0, 1.0);
            out[col] = {toByte(color.red * alpha), toByte(color.green * alpha),
                        toByte(color.blue * alpha), toByte(alpha)};
        }
    }
    Image mask(pixels);
    if (sigma > 0) mask = ImageOps::gaussianBlur(mask, sigma);
    return mask;
}
