// Brightening for RetinaFace: only frames lit to less than half the range, by enough to bring
// their highlights back, never wildly.
#include <gtest/gtest.h>

#include <opencv2/imgproc.hpp>

#include "platform/vision/ExposureGain.h"

namespace {

// A full HD scene: a gradient from black to `top`, with a few lamp pixels at full white.
cv::Mat scene(int top, int lamps) {
    cv::Mat rgb(1080, 1920, CV_8UC3);
    for (int x = 0; x < rgb.cols; ++x) rgb.col(x).setTo(cv::Scalar::all(top * x / (rgb.cols - 1)));
    for (int i = 0; i < lamps; ++i) rgb.at<cv::Vec3b>(4 * i, 4 * i) = cv::Vec3b(255, 255, 255);
    return rgb;
}

TEST(ExposureGain, BrightensAnUnderexposedFrameToItsHighlightsAndLeavesALitOneAlone) {
    // The same scene at a third of the light, gain about 3; lamps too few to count as its light.
    EXPECT_NEAR(exposureGain(scene(80, 20)), 230.0 / 80, 0.1);
    // Lit, or lit to just over half the range: seen as it is.
    EXPECT_EQ(exposureGain(scene(250, 0)), 1.0f);
    EXPECT_EQ(exposureGain(scene(120, 0)), 1.0f);
    // Lamps over a thousandth of the frame are its light: left alone.
    EXPECT_EQ(exposureGain(scene(80, 270)), 1.0f);
    // Nearly black, or black: at most four times, and no division by zero.
    EXPECT_FLOAT_EQ(exposureGain(scene(20, 0)), 4.0f);
    EXPECT_FLOAT_EQ(exposureGain(cv::Mat(1080, 1920, CV_8UC3, cv::Scalar::all(0))), 4.0f);
}

}  // namespace
