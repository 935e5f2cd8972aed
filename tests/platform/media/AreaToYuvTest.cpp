#include "platform/media/AreaToYuv.h"

#include <gtest/gtest.h>

#include <opencv2/core.hpp>

namespace {

constexpr uint8_t UNTOUCHED = 7;

struct Planes {
    cv::Mat y, u, v;
    Planes(int width, int height)
        : y(height, width, CV_8U, cv::Scalar(UNTOUCHED)),
          u(height / 2, width / 2, CV_8U, cv::Scalar(UNTOUCHED)),
          v(height / 2, width / 2, CV_8U, cv::Scalar(UNTOUCHED)) {}
    YuvPlanes view() { return {y.data, int(y.step), u.data, int(u.step), v.data, int(v.step)}; }
};

cv::Vec3b yuvAt(const Planes& p, int x, int y) {
    return {p.y.at<uint8_t>(y, x), p.u.at<uint8_t>(y / 2, x / 2), p.v.at<uint8_t>(y / 2, x / 2)};
}

}  // namespace

TEST(AreaToYuv, PrimariesGetTheirBt709LimitedRangeValues) {
    // One 2 × 2 block per colour, side by side.
    const std::vector<std::pair<cv::Vec4b, cv::Vec3b>> colours = {
        {{255, 255, 255, 255}, {235, 128, 128}},
        {{0, 0, 0, 255}, {16, 128, 128}},
        {{255, 0, 0, 255}, {63, 102, 240}},
        {{0, 255, 0, 255}, {173, 42, 26}},
        {{0, 0, 255, 255}, {32, 240, 118}}};
    cv::Mat rgba(2, 2 * int(colours.size()), CV_8UC4);
    for (size_t i = 0; i < colours.size(); ++i)
        rgba(cv::Rect(2 * int(i), 0, 2, 2)).setTo(cv::Scalar(colours[i].first));
    Planes planes(rgba.cols, rgba.rows);
    rgbaAreaToYuv420(rgba, {0, 0, rgba.cols, rgba.rows}, planes.view());
    for (size_t i = 0; i < colours.size(); ++i)
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(yuvAt(planes, 2 * int(i) + 1, 1)[c], colours[i].second[c], 1)
                << "colour " << i << " channel " << c;
}

TEST(AreaToYuv, OnlyTheEvenWidenedAreaInsideThePictureIsWritten) {
    cv::Mat rgba(8, 12, CV_8UC4, cv::Scalar(255, 255, 255, 255));
    // A block half white, half black averages to mid-grey chroma-wise but keeps both lumas.
    rgba(cv::Rect(4, 2, 1, 2)).setTo(cv::Scalar(0, 0, 0, 255));
    Planes planes(rgba.cols, rgba.rows);
    rgbaAreaToYuv420(rgba, {3, 1, 2, 2}, planes.view());  // widens to x 2...5, y 0...3
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 12; ++x) {
            const bool inside = x >= 2 && x < 6 && y < 4;
            EXPECT_EQ(planes.y.at<uint8_t>(y, x) != UNTOUCHED, inside) << x << "," << y;
        }
    EXPECT_EQ(planes.y.at<uint8_t>(2, 4), 16);
    EXPECT_EQ(planes.y.at<uint8_t>(2, 5), 235);
    EXPECT_NEAR(planes.u.at<uint8_t>(1, 2), 128, 1);
    EXPECT_EQ(planes.u.at<uint8_t>(1, 3), UNTOUCHED);

    // An area reaching past the picture is cut to it.
    Planes edge(rgba.cols, rgba.rows);
    rgbaAreaToYuv420(rgba, {9, 5, 10, 10}, edge.view());
    EXPECT_EQ(edge.y.at<uint8_t>(7, 11), 235);
    EXPECT_EQ(edge.y.at<uint8_t>(3, 11), UNTOUCHED);
    rgbaAreaToYuv420(rgba, {-5, -5, 3, 3}, edge.view());  // nothing of it inside
    EXPECT_EQ(edge.y.at<uint8_t>(0, 0), UNTOUCHED);
}
