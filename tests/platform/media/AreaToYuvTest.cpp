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

// Wide areas go sixteen pixels at a time: every sample must equal the pixel-by-pixel
// conversion and stay within a step of the exact BT.709 formula.
TEST(AreaToYuv, WideAreasConvertLikeNarrowOnesAndLikeTheFormula) {
    cv::Mat rgba(4, 70, CV_8UC4);
    cv::RNG(5).fill(rgba, cv::RNG::UNIFORM, 0, 256);
    Planes wide(rgba.cols, rgba.rows), narrow(rgba.cols, rgba.rows);
    rgbaAreaToYuv420(rgba, {0, 0, rgba.cols, rgba.rows}, wide.view());
    for (int x = 0; x < rgba.cols; x += 2)
        rgbaAreaToYuv420(rgba, {x, 0, 2, rgba.rows}, narrow.view());
    EXPECT_EQ(cv::norm(wide.y, narrow.y, cv::NORM_INF), 0);
    EXPECT_EQ(cv::norm(wide.u, narrow.u, cv::NORM_INF), 0);
    EXPECT_EQ(cv::norm(wide.v, narrow.v, cv::NORM_INF), 0);

    const double kr = 0.2126, kb = 0.0722, kg = 1 - kr - kb;
    for (int y = 0; y < rgba.rows; ++y)
        for (int x = 0; x < rgba.cols; ++x) {
            const cv::Vec4b p = rgba.at<cv::Vec4b>(y, x);
            const double luma = 16 + 219 * (kr * p[0] + kg * p[1] + kb * p[2]) / 255;
            EXPECT_NEAR(wide.y.at<uint8_t>(y, x), luma, 1) << x << "," << y;
        }
    for (int y = 0; y < rgba.rows; y += 2)
        for (int x = 0; x < rgba.cols; x += 2) {
            cv::Vec3d mean;
            for (int dy = 0; dy < 2; ++dy)
                for (int dx = 0; dx < 2; ++dx)
                    for (int c = 0; c < 3; ++c)
                        mean[c] += rgba.at<cv::Vec4b>(y + dy, x + dx)[c] / 4.0;
            const double luma = kr * mean[0] + kg * mean[1] + kb * mean[2];
            const double u = 128 + 224 * (mean[2] - luma) / (2 * (1 - kb)) / 255;
            const double v = 128 + 224 * (mean[0] - luma) / (2 * (1 - kr)) / 255;
            EXPECT_NEAR(wide.u.at<uint8_t>(y / 2, x / 2), u, 1) << x << "," << y;
            EXPECT_NEAR(wide.v.at<uint8_t>(y / 2, x / 2), v, 1) << x << "," << y;
        }
}
