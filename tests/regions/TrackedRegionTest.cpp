#include "regions/TrackedRegion.h"

#include <gtest/gtest.h>

namespace {

constexpr double FRAME = 1.0 / 30;

MediaTime sec(double s) {
    return MediaTime::fromSeconds(s, 600);
}

RegionSample sample(double s, Rect r = {0.1, 0.1, 0.2, 0.2}) {
    return {sec(s), r};
}

TrackedRegion region(std::vector<RegionSample> samples, Cover type = Cover::none,
                     bool hdr = false) {
    return TrackedRegion(std::move(samples), Image(), "😀", type, hdr);
}

// A colourful frame: noir turns it grey, so styled pixels are easy to tell apart.
Image colourFrame() {
    return Image(cv::Mat(100, 100, CV_8UC4, cv::Scalar(40, 120, 200, 255)));
}

// Plane coordinates (lower-left origin) of a 100×100 frame to the pixel there.
cv::Vec4b at(const Image& image, int x, int y) {
    return image.pixels.at<cv::Vec4b>(99 - y, x);
}
bool grey(cv::Vec4b p) {
    return p[0] == p[1] && p[1] == p[2];
}

}  // namespace

TEST(TrackedRegion, ARegionWithoutSamplesIsNeverShown) {
    auto r = region({});
    EXPECT_EQ(r.trimTime.start, MediaTime::zero());
    EXPECT_EQ(r.trimTime.duration, MediaTime::zero());
    for (double s : {0.0, 0.01, 1.0}) EXPECT_FALSE(r.sampleAt(sec(s), FRAME));
}

TEST(TrackedRegion, SampleAtATimeIsTheLatestAtOrBeforeItWithinTheTrimPlusOneFrame) {
    Rect a{0.1, 0.1, 0.1, 0.1}, b{0.2, 0.2, 0.1, 0.1}, tie{0.3, 0.3, 0.1, 0.1};
    // Out of order on input; the two samples at 2 s keep their input order.
    auto r = region({sample(2, b), sample(1, a), sample(2, tie), sample(3, a)});
    EXPECT_EQ(r.samples[1].nominalRect, b);
    EXPECT_EQ(r.trimTime.start, sec(1));
    EXPECT_EQ(r.trimTime.end(), sec(3));
    EXPECT_FALSE(r.sampleAt(MediaTime(599, 600), FRAME));
    EXPECT_EQ(r.sampleAt(sec(1), FRAME)->nominalRect, a);
    EXPECT_EQ(r.sampleAt(sec(2.5), FRAME)->nominalRect, b);
    EXPECT_EQ(r.sampleAt(sec(3) + MediaTime(20, 600), FRAME)->timeStamp, sec(3));
    EXPECT_FALSE(r.sampleAt(sec(3) + MediaTime(21, 600), FRAME));
    // A trim that starts later still shows the sample from before its start.
    r.trimTime = {sec(2.2), sec(0.5)};
    EXPECT_FALSE(r.sampleAt(sec(2.1), FRAME));
    EXPECT_EQ(r.sampleAt(sec(2.3), FRAME)->nominalRect, b);
}

TEST(TrackedRegion, TimeRangeRunsToThePassEndWithinOneFrameAndKeepsAUserTrim) {
    auto r = region({sample(1), sample(9.95)});
    r.updateTimeRange(sec(10), FRAME);  // 50 ms > one frame + 1 ms
    EXPECT_EQ(r.endTime, sec(9.95));
    r.setSamples({sample(1), sample(9.967)});
    r.updateTimeRange(sec(10), FRAME);  // 33 ms
    EXPECT_EQ(r.endTime, sec(10));
    EXPECT_EQ(r.trimTime.end(), sec(10));
}

TEST(TrackedRegion, AUserTrimKeepsTheMovedHandlesAndLetsTheOthersFollowTheSpan) {
    auto r = region({sample(1), sample(5)});
    r.keepUserTrim({sec(1), sec(4)});  // the whole span: not a trim
    EXPECT_FALSE(r.trimmedByUser());
    r.keepUserTrim({sec(2), sec(3) - MediaTime(1, 1200)});  // the end within 1 ms of the edge
    EXPECT_EQ(r.userTrimStart, sec(2));
    EXPECT_FALSE(r.userTrimEnd);
    r.setSamples({sample(1), sample(5), sample(8)});
    r.updateTimeRange(sec(10), FRAME);
    EXPECT_EQ(r.trimTime.start, sec(2));
    EXPECT_EQ(r.trimTime.end(), sec(8));
    // Both handles moved: the trim stays where the user left it however the span grows.
    r.keepUserTrim({sec(2), sec(2)});
    r.setSamples({sample(0.5), sample(9.99)});
    r.updateTimeRange(sec(10), FRAME);
    EXPECT_EQ(r.trimTime.start, sec(2));
    EXPECT_EQ(r.trimTime.end(), sec(4));
    EXPECT_EQ(r.endTime, sec(10));
}

TEST(TrackedRegion, CopyIsANewRegionWithTheSameLookAndSharedMasks) {
    auto r = region({sample(1), sample(2)}, Cover::emoji);
    r.scale = 1.5;
    r.setSoftness(0.3);
    r.style.type = StyleKind::pixellate;
    r.style.intensity = 1.7;
    r.keepUserTrim({sec(1), sec(0.5)});
    auto c = r.copy();
    EXPECT_NE(c.id, r.id);
    EXPECT_EQ(c.samples, r.samples);
    EXPECT_EQ(c.trimTime.end(), r.trimTime.end());
    EXPECT_EQ(c.cover, Cover::emoji);
    EXPECT_EQ(c.scale, 1.5);
    EXPECT_EQ(c.softness, 0.3);
    EXPECT_EQ(c.style.type, StyleKind::pixellate);
    EXPECT_EQ(c.style.intensity, 1.0);
    EXPECT_EQ(c.userTrimEnd, sec(1.5));  // cancel puts back the trim from before the edit
    ASSERT_TRUE(c.circle && c.emojiImage);
    EXPECT_TRUE(c.circle->sharesPixelsWith(*r.circle));
    EXPECT_TRUE(c.emojiImage->sharesPixelsWith(*r.emojiImage));
}

TEST(TrackedRegion, RectangleCoversItsSampleAndScaleEnlargesItAboutTheCentre) {
    auto r = region({sample(0, {0.2, 0.2, 0.4, 0.4})}, Cover::rectangle);
    r.style.type = StyleKind::noir;
    r.style.intensity = 1;
    Image frame = colourFrame();
    Image out = renderRegions({r}, frame, sec(0), frame, RenderPurpose::preview, FRAME);
    EXPECT_TRUE(grey(at(out, 40, 40)));
    EXPECT_TRUE(grey(at(out, 22, 40)) && grey(at(out, 57, 40)) && grey(at(out, 40, 57)));
    for (auto [x, y] : {std::pair{17, 40}, {63, 40}, {40, 17}, {40, 63}})
        EXPECT_EQ(at(out, x, y), cv::Vec4b(40, 120, 200, 255)) << x << "," << y;
    r.scale = 1.5;  // 10...70 on both axes
    out = renderRegions({r}, frame, sec(0), frame, RenderPurpose::preview, FRAME);
    EXPECT_TRUE(grey(at(out, 13, 40)) && grey(at(out, 40, 67)));
    EXPECT_EQ(at(out, 7, 40), cv::Vec4b(40, 120, 200, 255));
}

TEST(TrackedRegion, RegionsAreDrawnInOrderAndSkippedWhenTheyCannotBe) {
    Rect whole{0.25, 0.25, 0.5, 0.5};
    auto chrome = region({sample(0, whole)}, Cover::circle);
    chrome.style.type = StyleKind::chrome;
    chrome.style.intensity = 1;
    auto noir = chrome;
    noir.style.type = StyleKind::noir;
    Image frame = colourFrame();
    EXPECT_TRUE(
        grey(at(renderRegions({chrome, noir}, frame, sec(0), frame, RenderPurpose::preview, FRAME),
                50, 50)));
    EXPECT_FALSE(
        grey(at(renderRegions({noir, chrome}, frame, sec(0), frame, RenderPurpose::preview, FRAME),
                50, 50)));
    // Type none, a time past the span, no mask, or a frame the style cannot use: unchanged.
    auto none = noir;
    none.cover = Cover::none;
    auto maskless = noir;
    maskless.circle.reset();
    for (const auto& [list, time] : {std::pair{std::vector{none}, sec(0)},
                                     {std::vector{noir}, sec(0.1)},
                                     {std::vector{maskless}, sec(0)}})
        EXPECT_TRUE(renderRegions(list, frame, time, frame, RenderPurpose::preview, FRAME)
                        .sharesPixelsWith(frame));
    auto emoji = noir;
    emoji.cover = Cover::emoji;
    EXPECT_TRUE(renderRegions({emoji}, Image(), sec(0), frame, RenderPurpose::preview, FRAME)
                    .sharesPixelsWith(frame));
}

TEST(TrackedRegion, HdrEmojiPictureOnlyInTheExportOfAnHdrSource) {
    Image frame(cv::Mat(200, 200, CV_8UC4, cv::Scalar::all(0)));
    for (bool hdr : {false, true}) {
        auto r = region({sample(0, {0.25, 0.25, 0.5, 0.5})}, Cover::emoji, hdr);
        ASSERT_TRUE(r.emojiImage);
        EXPECT_EQ(r.hdrEmojiImage.has_value(), hdr);
        auto preview = r.layer(frame, sec(0), FRAME, RenderPurpose::preview);
        auto exported = r.layer(frame, sec(0), FRAME, RenderPurpose::exportFile);
        ASSERT_TRUE(preview && exported);
        EXPECT_FALSE(preview->properties.hdrGainMap);
        EXPECT_EQ(exported->properties.hdrGainMap, hdr);
    }
}
