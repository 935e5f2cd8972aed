#include "platform/image/Orientation.h"

#include <cmath>
#include <opencv2/imgproc.hpp>

namespace {

bool near(double v, double target) { return std::fabs(v - target) < 1e-3; }

// The exact rotation/flip for an axis-aligned matrix, applied to a picture already scaled to
// the pre-rotation size. False when the matrix is not axis-aligned.
bool applyAxisAligned(const cv::Mat& in, const AffineTransform& t, cv::Mat& out) {
    bool straight = near(t.b, 0) && near(t.c, 0) && near(std::fabs(t.a), 1) && near(std::fabs(t.d), 1);
    bool turned = near(t.a, 0) && near(t.d, 0) && near(std::fabs(t.b), 1) && near(std::fabs(t.c), 1);
    if (straight) {
        if (t.a > 0 && t.d > 0) out = in;
        else if (t.a < 0 && t.d < 0) cv::rotate(in, out, cv::ROTATE_180);
        else cv::flip(in, out, t.a < 0 ? 1 : 0);
        return true;
    }
    if (!turned) return false;
    // (x, y) -> (c·y, b·x): x becomes the row axis.
    if (t.b > 0 && t.c < 0) cv::rotate(in, out, cv::ROTATE_90_CLOCKWISE);
    else if (t.b < 0 && t.c > 0) cv::rotate(in, out, cv::ROTATE_90_COUNTERCLOCKWISE);
    else if (t.b > 0 && t.c > 0) cv::transpose(in, out);
    else {
        cv::transpose(in, out);
        cv::rotate(out, out, cv::ROTATE_180);
    }
    return true;
}

}  // namespace

Image orientAndScale(const Image& stored, const AffineTransform& transform, int width, int height) {
    const cv::Mat& in = stored.pixels;
    bool swapsAxes = std::fabs(transform.b) > std::fabs(transform.a);
    cv::Size scaled = swapsAxes ? cv::Size(height, width) : cv::Size(width, height);
    cv::Mat resized;
    if (scaled == in.size()) {
        resized = in;
    } else {
        bool shrinking = scaled.area() < in.size().area();
        cv::resize(in, resized, scaled, 0, 0, shrinking ? cv::INTER_AREA : cv::INTER_LINEAR);
    }
    cv::Mat upright;
    if (!applyAxisAligned(resized, transform, upright)) {
        // Any other matrix: map the stored picture's corners, then fit them into the output.
        cv::Point2f from[3] = {{0, 0}, {float(in.cols), 0}, {0, float(in.rows)}};
        cv::Point2f to[3];
        double minX = 1e300, minY = 1e300, maxX = -1e300, maxY = -1e300;
        for (double x : {0.0, double(in.cols)})
            for (double y : {0.0, double(in.rows)}) {
                Point p = transform.apply(Point{x, y});
                minX = std::min(minX, p.x), maxX = std::max(maxX, p.x);
                minY = std::min(minY, p.y), maxY = std::max(maxY, p.y);
            }
        for (int i = 0; i < 3; ++i) {
            Point p = transform.apply(Point{from[i].x, from[i].y});
            to[i] = {float((p.x - minX) * width / (maxX - minX)),
                     float((p.y - minY) * height / (maxY - minY))};
        }
        cv::warpAffine(in, upright, cv::getAffineTransform(from, to), cv::Size(width, height),
                       cv::INTER_LINEAR, cv::BORDER_REPLICATE);
    }
    Image result(upright);
    result.properties = stored.properties;
    return result;
}
