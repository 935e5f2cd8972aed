#include "regions/ShapeMask.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {

// Alpha at canvas pixel (x, y), counted from the top-left; the masks are symmetric.
int alphaAt(const Image& mask, int x, int y) {
    return mask.pixels.at<cv::Vec4b>(y, x)[3];
}

std::optional<Image> mask(double cornerRadius, double sigma) {
    return makeShapeMask(MASK_COLOR, MASK_CANVAS_SIDE, cornerRadius, sigma);
}

}  // namespace

TEST(ShapeMask, HardRectangleFillsTheCentralHalf) {
    const auto rectangle = mask(RECTANGLE_CORNER_RADIUS, 0);
    ASSERT_TRUE(rectangle);
    EXPECT_EQ(rectangle->pixels.type(), CV_8UC4);
    EXPECT_EQ(rectangle->extent, (Rect{0, 0, 300, 300}));
    EXPECT_EQ(rectangle->pixels.at<cv::Vec4b>(150, 150), cv::Vec4b(255, 0, 0, 255));
    // Straight edges fall between pixels 74 and 75, and 224 and 225: no ramp at all.
    for (int along : {100, 150, 200}) {
        EXPECT_EQ(alphaAt(*rectangle, 74, along), 0);
        EXPECT_EQ(alphaAt(*rectangle, 75, along), 255);
        EXPECT_EQ(alphaAt(*rectangle, 224, along), 255);
        EXPECT_EQ(alphaAt(*rectangle, 225, along), 0);
        EXPECT_EQ(alphaAt(*rectangle, along, 74), 0);
        EXPECT_EQ(alphaAt(*rectangle, along, 75), 255);
    }
    // Rounded corners: the square's corner pixel is outside the 12-pixel arc, inside it is full.
    EXPECT_EQ(alphaAt(*rectangle, 75, 75), 0);
    EXPECT_EQ(alphaAt(*rectangle, 80, 80), 255);
}

TEST(ShapeMask, EllipseRadiusDrawsACircle) {
    const auto circle = mask(ELLIPSE_CORNER_RADIUS, 0);
    ASSERT_TRUE(circle);
    for (int step = 0; step < 32; ++step) {
        const double angle = step * std::numbers::pi / 16;
        const auto at = [&](double radius) {
            return alphaAt(*circle, int(150 + radius * std::cos(angle)),
                           int(150 + radius * std::sin(angle)));
        };
        EXPECT_EQ(at(72), 255) << "angle step " << step;
        EXPECT_EQ(at(78), 0) << "angle step " << step;
    }
    // A plain 50-pixel rounded corner would still cover this point on the diagonal.
    EXPECT_EQ(alphaAt(*circle, 206, 206), 0);
    // Antialiased: premultiplied red on the rim is partly covered.
    const cv::Vec4b rim = circle->pixels.at<cv::Vec4b>(180, 218);  // 74.98 px from the centre
    EXPECT_GT(rim[3], 0);
    EXPECT_LT(rim[3], 255);
    EXPECT_EQ(rim[0], rim[3]);
}

TEST(ShapeMask, FullSoftnessFeathersAndFadesBeforeTheCanvasEdge) {
    const auto soft = mask(RECTANGLE_CORNER_RADIUS, FEATHER_SIGMA_PER_SOFTNESS);
    ASSERT_TRUE(soft);
    EXPECT_EQ(soft->extent, (Rect{0, 0, 300, 300}));
    EXPECT_GE(alphaAt(*soft, 150, 150), 254);
    EXPECT_NEAR(alphaAt(*soft, 75, 150), 128, 6);  // the edge is half covered
    // 75 pixels = 3.75 sigma out, almost nothing is left.
    EXPECT_LE(alphaAt(*soft, 0, 150), 1);
    EXPECT_LE(alphaAt(*soft, 0, 0), 1);
    for (int x = 1; x <= 150; ++x) EXPECT_GE(alphaAt(*soft, x, 150), alphaAt(*soft, x - 1, 150));
    EXPECT_GT(alphaAt(*soft, 40, 150), 5);  // a real feather, not a hard edge
}

TEST(ShapeMask, RefusesImpossibleInputs) {
    EXPECT_FALSE(makeShapeMask(MASK_COLOR, 0, 12, 0));
    EXPECT_FALSE(makeShapeMask(MASK_COLOR, MAX_MASK_SIDE + 1, 12, 0));
    EXPECT_FALSE(mask(-1, 0));
    EXPECT_FALSE(mask(12, -1));
    EXPECT_FALSE(mask(12, std::nan("")));
}
