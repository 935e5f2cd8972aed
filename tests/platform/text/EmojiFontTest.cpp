#include "platform/text/EmojiFont.h"

#include <gtest/gtest.h>

#include <opencv2/core.hpp>

#include <cmath>
#include <string>
#include <thread>
#include <vector>

namespace {

class EmojiFontTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_NE(EmojiFont::shared(), nullptr) << "font not installed"; }
    static const EmojiFont& font() { return *EmojiFont::shared(); }
};

// The font's strike is 136 × 128 pixels a glyph: scaled to a 720-pixel line, one glyph's
// advance becomes 136 · 720 / 128 = 765 pixels.
constexpr int ADVANCE_AT_720 = 765;

// No colour may exceed its pixel's alpha (resampling rings past it unless clamped).
bool premultiplied(const cv::Mat& rgba) {
    cv::Mat channels[4];
    cv::split(rgba, channels);
    const cv::Mat colour = cv::max(cv::max(channels[0], channels[1]), channels[2]);
    return cv::countNonZero(colour > channels[3]) == 0;
}

}  // namespace

TEST_F(EmojiFontTest, DrawsOneEmojiOnItsLineBox) {
    const std::optional<Image> picture = font().draw("\U0001F600", 720);
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->pixels.type(), CV_8UC4);
    EXPECT_EQ(picture->extent, (Rect{0, 0, ADVANCE_AT_720, 720}));
    EXPECT_TRUE(premultiplied(picture->pixels));

    // Opaque yellow face in the middle, transparent in the corner of the line box.
    const cv::Vec4b centre = picture->pixels.at<cv::Vec4b>(360, 382);
    EXPECT_EQ(centre[3], 255);
    EXPECT_GT(centre[0], 200);  // red
    EXPECT_GT(centre[1], 120);  // green
    EXPECT_LT(centre[2], 100);  // little blue
    EXPECT_EQ(picture->pixels.at<cv::Vec4b>(0, 0), cv::Vec4b(0, 0, 0, 0));

    const auto small = font().draw("\U0001F600", 64);  // scaled down, not up
    ASSERT_TRUE(small);
    EXPECT_EQ(small->pixels.size(), cv::Size(68, 64));
    EXPECT_TRUE(premultiplied(small->pixels));
}

TEST_F(EmojiFontTest, SequencesStandSideBySideAndMarksTakeNoRoom) {
    const auto two = font().draw("\U0001F600\U0001F436", 720);
    ASSERT_TRUE(two);
    EXPECT_EQ(two->width(), 2 * ADVANCE_AT_720);
    // The second glyph is the dog, not a copy of the face.
    EXPECT_NE(cv::norm(two->pixels.colRange(0, 765), two->pixels.colRange(765, 1530)), 0);

    // A variation selector and a joiner add nothing visible and no width.
    const auto heart = font().draw("\u2764\uFE0F", 720);
    ASSERT_TRUE(heart);
    EXPECT_EQ(heart->width(), ADVANCE_AT_720);
    const auto family = font().draw("\U0001F468\u200D\U0001F469", 720);
    ASSERT_TRUE(family);
    EXPECT_EQ(family->width(), 2 * ADVANCE_AT_720);
}

TEST_F(EmojiFontTest, NothingWithoutAPictureOrSize) {
    EXPECT_FALSE(font().draw("", 720));
    EXPECT_FALSE(font().draw("abc", 720));  // the font has no letters
    EXPECT_FALSE(font().draw("\uFE0F", 720));
    EXPECT_FALSE(font().draw("\U0001F600", 0));
    EXPECT_FALSE(font().draw("\U0001F600", std::nan("")));
    EXPECT_FALSE(font().draw("\U0001F600", 1e9));
    std::string many;
    for (int i = 0; i < 100; ++i) many += "\U0001F600";
    EXPECT_FALSE(font().draw(many, 720));  // 76 500 pixels wide: refused, not allocated
    // Letters the font lacks are left out; the emoji still draws.
    const auto mixed = font().draw("a\U0001F600", 720);
    ASSERT_TRUE(mixed);
    EXPECT_EQ(mixed->width(), ADVANCE_AT_720);
}

TEST_F(EmojiFontTest, DrawsFromManyThreadsAtOnce) {
    const auto expected = font().draw("\U0001F436", 128);
    ASSERT_TRUE(expected);
    std::vector<std::optional<Image>> results(4);
    std::vector<std::thread> threads;
    for (auto& result : results) {
        threads.emplace_back([&result] { result = font().draw("\U0001F436", 128); });
    }
    for (auto& thread : threads) thread.join();
    for (const auto& result : results) {
        ASSERT_TRUE(result);
        EXPECT_EQ(cv::norm(result->pixels, expected->pixels, cv::NORM_INF), 0);
    }
}
