#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include "core/RegionStyle.h"
#include "core/StyleCatalogue.h"
#include "platform/image/ImageOps.h"
#include "platform/image/PhotoEffectFilter.h"

namespace {

// A busy opaque picture: noise over gradients with hard-edged shapes, so every filter shows.
Image testFrame(int width, int height, int depth = CV_8U) {
    cv::Mat rgba(height, width, CV_8UC4);
    cv::RNG rng(7);
    rng.fill(rgba, cv::RNG::UNIFORM, 0, 256);
    cv::rectangle(rgba, {width / 5, height / 4, width / 3, height / 3}, {250, 40, 30, 255}, -1);
    cv::circle(rgba, {width * 2 / 3, height / 2}, height / 5, {20, 200, 240, 255}, -1);
    rgba.forEach<cv::Vec4b>([](cv::Vec4b& p, const int*) { p[3] = 255; });
    if (depth == CV_16U) rgba.convertTo(rgba, CV_16U, 257);
    return Image(rgba);
}

RegionStyle styleOf(StyleKind type, double intensity) {
    RegionStyle m;
    m.type = type;
    m.intensity = intensity;
    return m;
}

double largestDifference(const cv::Mat& a, const cv::Mat& b) {
    return cv::norm(a, b, cv::NORM_INF);
}

}  // namespace

TEST(RegionStyle, MapsIntensityOntoFilterInputsAsTheWorkedExamplesSay) {
    const Rect unit{0, 0, 512, 512};
    EXPECT_DOUBLE_EQ(styleOf(StyleKind::gaussian, 0.5).parameters(unit).at("inputRadius"), 20);
    EXPECT_DOUBLE_EQ(styleOf(StyleKind::gaussian, 1).parameters(unit).at("inputRadius"), 40);
    EXPECT_DOUBLE_EQ(styleOf(StyleKind::gaussian, 0).parameters(unit).at("inputRadius"), 0);

    const Rect hd{0, 0, 1920, 1080}, preview{0, 0, 1024, 576};
    EXPECT_DOUBLE_EQ(RegionStyle().frameScale(hd), 3.75);
    EXPECT_DOUBLE_EQ(RegionStyle().frameScale(preview), 2);
    EXPECT_DOUBLE_EQ(styleOf(StyleKind::pixellate, 0).parameters(hd).at("inputScale"), 3.75);
    EXPECT_DOUBLE_EQ(styleOf(StyleKind::crystal, 0).parameters(hd).at("inputRadius"), 3.75);
    EXPECT_DOUBLE_EQ(styleOf(StyleKind::pixellate, 1).parameters(preview).at("inputScale"), 2 * 28);

    const auto motion = styleOf(StyleKind::motion, 1).parameters(preview);
    EXPECT_DOUBLE_EQ(motion.at("inputRadius"), 80);
    EXPECT_DOUBLE_EQ(motion.at("inputAngle"), 0);

    const auto bokeh = styleOf(StyleKind::bokeh, 0.5).parameters(preview);
    EXPECT_DOUBLE_EQ(bokeh.at("inputRadius"), 30);
    EXPECT_DOUBLE_EQ(bokeh.at("inputRingAmount"), 1);
    EXPECT_DOUBLE_EQ(bokeh.at("inputRingSize"), 0.5);
    EXPECT_DOUBLE_EQ(bokeh.at("inputSoftness"), 0);
    EXPECT_TRUE(styleOf(StyleKind::mono, 1).parameters(preview).empty());
}

TEST(RegionStyle, CatalogueDrivesOnlyTheRangedInputsOfEachFilter) {
    const StyleFilter& bokeh = StyleCatalogue::entry(StyleKind::bokeh);
    EXPECT_EQ(bokeh.inputs, (std::vector<std::string>{"inputRadius", "inputRingAmount"}));
    EXPECT_DOUBLE_EQ(bokeh.zero.at("inputRadius"), 20);
    EXPECT_FALSE(StyleCatalogue::entry(StyleKind::normal).controlledInputs());
    EXPECT_FALSE(StyleCatalogue::entry(StyleKind::noir).controlledInputs());
    EXPECT_EQ(StyleCatalogue::entry(StyleKind::crystal).name, "CRYSTALLIZE");
}

TEST(RegionStyle, NormalReturnsTheVeryImageAndEmptyGivesNothing) {
    const Image frame = testFrame(64, 48);
    for (double c : {0.0, 0.5, 1.0}) {
        const auto out = styleOf(StyleKind::normal, c).apply(frame);
        ASSERT_TRUE(out);
        EXPECT_TRUE(out->sharesPixelsWith(frame));
    }
    EXPECT_FALSE(RegionStyle().apply(Image()));
}

TEST(RegionStyle, ColourEffectIsMixedOverTheSourceByIntensity) {
    const Image frame = testFrame(96, 64);
    for (StyleKind type : {StyleKind::chrome, StyleKind::mono, StyleKind::transfer}) {
        const PhotoEffect effect = PhotoEffect(int(type) - int(StyleKind::chrome));
        const Image full = PhotoEffectFilter(effect).apply(frame);
        const auto none = styleOf(type, 0).apply(frame);
        const auto all = styleOf(type, 1).apply(frame);
        const auto half = styleOf(type, 0.5).apply(frame);
        ASSERT_TRUE(none && all && half);
        EXPECT_EQ(largestDifference(none->pixels, frame.pixels), 0);
        EXPECT_LE(largestDifference(all->pixels, full.pixels), 1);
        cv::Mat mix;
        cv::addWeighted(frame.pixels, 0.5, full.pixels, 0.5, 0, mix);
        EXPECT_LE(largestDifference(half->pixels, mix), 1);
        EXPECT_GT(largestDifference(full.pixels, frame.pixels), 30);
    }
    // Mono leaves no colour.
    const auto mono = styleOf(StyleKind::mono, 1).apply(frame);
    const cv::Vec4b p = mono->pixels.at<cv::Vec4b>(10, 10);
    EXPECT_EQ(p[0], p[1]);
    EXPECT_EQ(p[1], p[2]);
}

TEST(RegionStyle, MotionSmearsVerticalEdgesOnly) {
    cv::Mat px(100, 100, CV_8UC4, cv::Scalar(0, 0, 0, 255));
    px(cv::Rect(50, 0, 50, 100)).setTo(cv::Scalar(255, 255, 255, 255));  // vertical edge
    px(cv::Rect(0, 50, 50, 50)).setTo(cv::Scalar(255, 255, 255, 255));   // horizontal edge
    for (double c : {0.25, 1.0}) {
        const auto out = styleOf(StyleKind::motion, c).apply(Image(px));
        ASSERT_TRUE(out);
        const cv::Mat& o = out->pixels;
        // Across the vertical edge at x = 50, in the top half, values step gradually.
        EXPECT_GT(o.at<cv::Vec4b>(10, 48)[0], 20);
        EXPECT_LT(o.at<cv::Vec4b>(10, 51)[0], 235);
        // Across the horizontal edge at y = 50, left half: still hard.
        EXPECT_EQ(o.at<cv::Vec4b>(49, 10)[0], 0);
        EXPECT_EQ(o.at<cv::Vec4b>(50, 10)[0], 255);
    }
}

TEST(RegionStyle, BlurStrengthGrowsWithIntensityAndFrameSize) {
    const Image frame = testFrame(256, 144);
    for (StyleKind type : {StyleKind::gaussian, StyleKind::motion, StyleKind::pixellate,
                           StyleKind::bokeh, StyleKind::crystal}) {
        double previous = 1e9;
        for (double c : {0.1, 0.5, 1.0}) {
            const auto out = styleOf(type, c).apply(frame);
            ASSERT_TRUE(out);
            // Detail left: how far neighbouring pixels differ on average.
            cv::Mat dx;
            cv::absdiff(out->pixels.colRange(1, 256), out->pixels.colRange(0, 255), dx);
            const double detail = cv::mean(dx)[0];
            EXPECT_LT(detail, previous) << int(type) << " at " << c;
            previous = detail;
        }
    }
}

// The path every region stage uses must give exactly the pixels of whole-frame styling.
TEST(RegionStyle, StylingAnAreaGivesTheWholeFrameStylingThere) {
    const Rect areas[] = {{100, 60, 150, 90},  // inside, far from the edges
                          {0, 0, 90, 70},      // lower-left corner
                          {330, 200, 70, 40},  // upper-right corner, beyond the frame
                          {17, 143, 1, 33}};   // a thin odd strip
    for (int depth : {CV_8U, CV_16U}) {
        const Image frame = testFrame(400, 225, depth);  // scale 0.78
        for (StyleKind type : allStyleKinds)
            for (double c : {0.05, 0.2, 1.0}) {  // narrow blurs take a different path
                const auto style = styleOf(type, c);
                const auto whole = style.apply(frame);
                ASSERT_TRUE(whole);
                for (const Rect& area : areas) {
                    const auto part = style.apply(frame, area);
                    ASSERT_TRUE(part);
                    const Rect expected = area.intersection(frame.extent);
                    ASSERT_EQ(part->extent, expected);
                    const Image same = ImageOps::crop(*whole, expected);
                    const double tolerance = depth == CV_8U ? 1 : 257;
                    EXPECT_LE(largestDifference(part->pixels, same.pixels), tolerance)
                        << "style " << int(type) << " intensity " << c << " area " << area.x << ","
                        << area.y << " depth " << depth;
                }
            }
    }
}

TEST(RegionStyle, DeepFramesLookLikeShallowOnes) {
    const Image shallow = testFrame(200, 120), deep = testFrame(200, 120, CV_16U);
    for (StyleKind type : allStyleKinds) {
        const auto a = styleOf(type, 0.6).apply(shallow), b = styleOf(type, 0.6).apply(deep);
        ASSERT_TRUE(a && b);
        cv::Mat b8;
        b->pixels.convertTo(b8, CV_8U, 1 / 257.0);
        EXPECT_LE(largestDifference(a->pixels, b8), 2) << int(type);
    }
}

// Render threads share a snapshot's copy of the manager and the catalogue behind it.
TEST(RegionStyle, StylesFromSeveralThreadsAtOnceAlike) {
    const Image frame = testFrame(160, 90);
    std::vector<Image> expected;
    for (StyleKind type : allStyleKinds) expected.push_back(*styleOf(type, 0.7).apply(frame));
    std::vector<std::thread> threads;
    std::vector<int> mismatches(4, 0);
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            for (size_t i = 0; i < allStyleKinds.size(); ++i) {
                const auto out = styleOf(allStyleKinds[i], 0.7).apply(frame);
                if (!out || largestDifference(out->pixels, expected[i].pixels) != 0)
                    ++mismatches[size_t(t)];
            }
        });
    for (std::thread& t : threads) t.join();
    EXPECT_EQ(mismatches, std::vector<int>(4, 0));
}
