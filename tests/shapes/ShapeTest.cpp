#include "shapes/Shape.h"

#include <gtest/gtest.h>

namespace {

MediaTime sec(double s) { return MediaTime::fromSeconds(s, 600); }

Shape shapeOver(double from, double to, Rect rect = {0, 0, 0.2, 0.2}) {
    return Shape(MediaTimeRange{sec(from), sec(to - from)}, rect, "😀", false);
}

void expectRect(const std::optional<Rect>& got, const Rect& want) {
    ASSERT_TRUE(got.has_value());
    EXPECT_NEAR(got->x, want.x, 1e-9);
    EXPECT_NEAR(got->y, want.y, 1e-9);
    EXPECT_NEAR(got->width, want.width, 1e-9);
    EXPECT_NEAR(got->height, want.height, 1e-9);
}

}  // namespace

TEST(Shape, DrawnOnlyInsideItsTrimWithBothEndsIncluded) {
    Rect d{0.1, 0.1, 0.2, 0.2};
    auto shape = shapeOver(1, 3, d);
    expectRect(shape.rect(sec(1)), d);
    expectRect(shape.rect(sec(3)), d);
    EXPECT_FALSE(shape.rect(MediaTime(599, 600)));
    EXPECT_FALSE(shape.rect(MediaTime(1801, 600)));
}

TEST(Shape, OneKeyframeHoldsForTheWholeTrim) {
    auto shape = shapeOver(0, 10);
    Rect k{0.5, 0.5, 0.1, 0.1};
    shape.appendKeyframe(sec(6), k);
    expectRect(shape.rect(sec(0)), k);
    expectRect(shape.rect(sec(9)), k);
}

TEST(Shape, KeyframesInterpolateLinearlyFromTheDefaultRectAtTimeZero) {
    Rect d{0, 0, 0.2, 0.2}, k2{0.4, 0.2, 0.4, 0.2}, k4{0.8, 0.6, 0.2, 0.4};
    for (bool outOfOrder : {false, true}) {
        auto shape = shapeOver(0, 10, d);
        if (outOfOrder) {
            shape.appendKeyframe(sec(4), k4);
            shape.appendKeyframe(sec(2), k2);
        } else {
            shape.appendKeyframe(sec(2), k2);
            shape.appendKeyframe(sec(4), k4);
        }
        expectRect(shape.rect(sec(1)), {0.2, 0.1, 0.3, 0.2});
        expectRect(shape.rect(sec(2)), k2);
        expectRect(shape.rect(sec(3)), {0.6, 0.4, 0.3, 0.3});
        expectRect(shape.rect(sec(5)), k4);
        // Insertion order is kept: index 0 is whichever keyframe came first.
        EXPECT_EQ(shape.keyframes[0].time, outOfOrder ? sec(4) : sec(2));
    }
}

TEST(Shape, BeforeTheFirstKeyframeTheBlendStartsAtTimeZeroNotAtTheTrimStart) {
    // Trimmed to start at 2 s, keyframes at 4 s and 6 s: at 2 s the rect is already halfway
    // from the default rect to the first keyframe, at 3 s three quarters.
    Rect d{0, 0, 0.2, 0.2}, k4{0.4, 0.8, 0.6, 0.4}, k6{0.8, 0.8, 0.2, 0.2};
    auto shape = shapeOver(2, 10, d);
    shape.appendKeyframe(sec(6), k6);
    shape.appendKeyframe(sec(4), k4);
    expectRect(shape.rect(sec(2)), {0.2, 0.4, 0.4, 0.3});
    expectRect(shape.rect(sec(3)), {0.3, 0.6, 0.5, 0.35});
    expectRect(shape.rect(sec(4)), k4);
    expectRect(shape.rect(sec(5)), {0.6, 0.8, 0.4, 0.3});
}

TEST(Shape, KeyframesSharingATimeNeverDivideByZero) {
    auto shape = shapeOver(0, 10);
    Rect a{0.1, 0.1, 0.1, 0.1}, b{0.5, 0.5, 0.1, 0.1};
    shape.appendKeyframe(sec(2), a);
    shape.appendKeyframe(sec(2), b);
    auto r = shape.rect(sec(2));
    ASSERT_TRUE(r);
    EXPECT_TRUE(std::isfinite(r->x));
    expectRect(shape.rect(sec(3)), b);
}

TEST(Shape, CopyHasNewIdsSharedMasksAndClampedIntensity) {
    auto shape = shapeOver(0, 10);
    shape.appendKeyframe(sec(2), {0.1, 0.1, 0.1, 0.1});
    shape.style.type = StyleKind::bokeh;
    shape.style.intensity = 3.0;
    shape.style.time = 7;
    auto c = shape.copy();
    EXPECT_NE(c.id, shape.id);
    EXPECT_NE(c.keyframes[0].id, shape.keyframes[0].id);
    EXPECT_EQ(c.keyframes[0].time, shape.keyframes[0].time);
    EXPECT_EQ(c.style.type, StyleKind::bokeh);
    EXPECT_EQ(c.style.intensity, 1.0);
    EXPECT_EQ(c.style.time, 0.0);
    ASSERT_TRUE(c.circle && shape.circle);
    EXPECT_TRUE(c.circle->sharesPixelsWith(*shape.circle));
}

TEST(Shape, WrongKeyframeIndexChangesNothing) {
    auto shape = shapeOver(0, 10);
    shape.appendKeyframe(sec(2), {0.1, 0.1, 0.1, 0.1});
    shape.setKeyframeRect(1, {0.9, 0.9, 0.1, 0.1});
    shape.setKeyframeRect(-1, {0.9, 0.9, 0.1, 0.1});
    EXPECT_EQ(shape.keyframes[0].nominalRect, (Rect{0.1, 0.1, 0.1, 0.1}));
}

TEST(Shape, HdrEmojiPictureOnlyInExport) {
    Shape shape(MediaTimeRange{sec(0), sec(10)}, {0.25, 0.25, 0.5, 0.5}, "😀", true);
    shape.cover = Cover::emoji;
    ASSERT_TRUE(shape.emojiImage && shape.hdrEmojiImage);
    Image frame(cv::Mat(200, 200, CV_8UC4, cv::Scalar::all(0)));
    auto preview = shape.maskImage(frame, frame, sec(1), RenderPurpose::preview);
    auto exported = shape.maskImage(frame, frame, sec(1), RenderPurpose::exportFile);
    ASSERT_TRUE(preview && exported);
    EXPECT_TRUE(preview->properties == ImageProperties{});
    EXPECT_TRUE(exported->properties.hdrGainMap);
}
