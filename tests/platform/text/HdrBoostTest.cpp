#include "platform/text/HdrBoost.h"

#include <gtest/gtest.h>

namespace {

constexpr double HDR_GAIN = 4.926;

// One pixel per column: opaque white, opaque black, half-transparent white, transparent.
Image samplePicture() {
    cv::Mat pixels(1, 4, CV_8UC4);
    pixels.at<cv::Vec4b>(0, 0) = {255, 255, 255, 255};
    pixels.at<cv::Vec4b>(0, 1) = {0, 0, 0, 255};
    pixels.at<cv::Vec4b>(0, 2) = {128, 128, 128, 128};
    pixels.at<cv::Vec4b>(0, 3) = {0, 0, 0, 0};
    return Image(pixels, Rect{10, 20, 4, 1});
}

cv::Vec4w pixel(const Image& image, int x) {
    return image.pixels.at<cv::Vec4w>(0, x);
}

}  // namespace

TEST(HdrBoost, WhiteReachesTheHlgPeakAndAlphaKeeps) {
    const auto boosted = hdrBoost(samplePicture(), HDR_GAIN);
    ASSERT_TRUE(boosted);
    EXPECT_EQ(boosted->pixels.type(), CV_16UC4);
    EXPECT_EQ(boosted->extent, samplePicture().extent);
    EXPECT_EQ(pixel(*boosted, 0), cv::Vec4w(65535, 65535, 65535, 65535));
    EXPECT_EQ(pixel(*boosted, 1), cv::Vec4w(0, 0, 0, 65535));
    EXPECT_EQ(pixel(*boosted, 2), cv::Vec4w(32896, 32896, 32896, 32896));  // premultiplied
    EXPECT_EQ(pixel(*boosted, 3), cv::Vec4w(0, 0, 0, 0));
    EXPECT_EQ(
        boosted->properties,
        (ImageProperties{.hlgColorSpace = true, .hdrGainMap = true, .maximumPixelValue = 5.926}));
}

TEST(HdrBoost, GainMultipliesLinearLight) {
    // Gain 1 leaves SDR white at 203 cd/m², which HLG puts at 75 % of its signal.
    const auto unboosted = hdrBoost(samplePicture(), 1);
    ASSERT_TRUE(unboosted);
    EXPECT_NEAR(pixel(*unboosted, 0)[1] / 65535.0, 0.75, 0.003);
    EXPECT_DOUBLE_EQ(unboosted->properties.maximumPixelValue, 2);

    // A grey gets brighter with the gain, and keeps grey.
    cv::Mat grey(1, 1, CV_8UC4, cv::Scalar(100, 100, 100, 255));
    const auto dim = hdrBoost(Image(grey), 1);
    const auto bright = hdrBoost(Image(grey), HDR_GAIN);
    ASSERT_TRUE(dim && bright);
    EXPECT_GT(pixel(*bright, 0)[0], pixel(*dim, 0)[0] + 10000);
    EXPECT_NEAR(pixel(*bright, 0)[0], pixel(*bright, 0)[2], 1);

    // sRGB red lies inside BT.2020: it stays clearly red, gaining some green in the wider
    // primaries, never clipped.
    cv::Mat red(1, 1, CV_8UC4, cv::Scalar(255, 0, 0, 255));
    const cv::Vec4w p = pixel(*hdrBoost(Image(red), HDR_GAIN), 0);
    EXPECT_GT(p[0], 60000);
    EXPECT_GT(p[1], 0);
    EXPECT_LT(p[1], p[0] * 0.6);
}

TEST(HdrBoost, RefusesWhatItCannotBoost) {
    EXPECT_FALSE(hdrBoost(Image(), HDR_GAIN));
    EXPECT_FALSE(hdrBoost(Image(cv::Mat(2, 2, CV_16UC4, cv::Scalar::all(0))), HDR_GAIN));
    EXPECT_FALSE(hdrBoost(samplePicture(), 0));
    EXPECT_FALSE(hdrBoost(samplePicture(), -1));
    EXPECT_FALSE(hdrBoost(samplePicture(), std::nan("")));
}
