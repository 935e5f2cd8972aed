// The background stage with the real person segmentation, on a photograph of a person pasted on
// a textured background.
#include <gtest/gtest.h>

#include <opencv2/imgproc.hpp>

#include "background/BackgroundEditor.h"
#include "platform/vision/TestPictures.h"

namespace {

// Mean difference between neighbouring pixels of the grey picture inside `area`.
double localContrast(const Image& image, cv::Rect area) {
    cv::Mat grey, dx, dy;
    cv::cvtColor(image.pixels(area), grey, cv::COLOR_RGBA2GRAY);
    grey.convertTo(grey, CV_32F);
    cv::absdiff(grey.colRange(1, grey.cols), grey.colRange(0, grey.cols - 1), dx);
    cv::absdiff(grey.rowRange(1, grey.rows), grey.rowRange(0, grey.rows - 1), dy);
    return cv::mean(dx)[0] + cv::mean(dy)[0];
}

}  // namespace

TEST(BackgroundStage, ThePersonStaysSharpOnABlurredBackground) {
    cv::Mat photo = testPictureRgb("astronaut.png");
    ASSERT_FALSE(photo.empty());
    // Blocks of 16 pixels in random shades: plenty of local contrast for a blur to remove.
    cv::Mat coarse(36, 64, CV_8UC3), scene, small;
    cv::theRNG().state = 7;
    cv::randu(coarse, 0, 255);
    cv::resize(coarse, scene, cv::Size(1024, 576), 0, 0, cv::INTER_NEAREST);
    cv::resize(photo, small, cv::Size(540, 540), 0, 0, cv::INTER_AREA);
    small.copyTo(scene(cv::Rect(242, 36, 540, 540)));
    const Image frame = rgbaImage(scene);

    BackgroundEditor background;
    background.setStyle(StyleKind::gaussian);
    auto out = background.render(frame, frame, {}, nullptr);
    ASSERT_TRUE(out);
    ASSERT_EQ(out->pixels.size(), frame.pixels.size());

    const cv::Rect face(450, 140, 60, 60), helmet(400, 60, 160, 60);
    const cv::Rect left(0, 0, 200, 576), right(830, 0, 194, 576);
    for (cv::Rect person : {face, helmet})
        EXPECT_GT(localContrast(*out, person), 0.9 * localContrast(frame, person));
    for (cv::Rect outside : {left, right})
        EXPECT_LT(localContrast(*out, outside), 0.3 * localContrast(frame, outside));
}
