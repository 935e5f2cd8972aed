#include "shapes/EmojiImage.h"

#include <gtest/gtest.h>

#include <opencv2/core.hpp>

#include "shapes/EmojiCatalogue.h"

TEST(EmojiImage, PictureIsTheLineBoxAtTheFontSize) {
    const auto picture = makeEmojiImage("\U0001F600", EMOJI_FONT_SIZE);
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->height(), 720);
    EXPECT_EQ(picture->width(), 765);  // the glyph's advance, not its ink
    EXPECT_EQ(picture->properties, ImageProperties{});
    double minAlpha = 0, maxAlpha = 0;
    cv::Mat alpha;
    cv::extractChannel(picture->pixels, alpha, 3);
    cv::minMaxLoc(alpha, &minAlpha, &maxAlpha);
    EXPECT_EQ(minAlpha, 0);
    EXPECT_EQ(maxAlpha, 255);
}

TEST(EmojiImage, HdrPictureIsTheBoostedPicture) {
    const auto picture = makeEmojiImage("\U0001F436", EMOJI_FONT_SIZE);
    const auto hdr = makeHDREmojiImage("\U0001F436", EMOJI_FONT_SIZE);
    ASSERT_TRUE(picture && hdr);
    const auto expected = hdrBoost(*picture, HDR_GAIN);
    ASSERT_TRUE(expected);
    EXPECT_EQ(hdr->extent, picture->extent);
    EXPECT_EQ(cv::norm(hdr->pixels, expected->pixels, cv::NORM_INF), 0);
    EXPECT_TRUE(hdr->properties.hlgColorSpace);
    EXPECT_TRUE(hdr->properties.hdrGainMap);
    EXPECT_DOUBLE_EQ(hdr->properties.maximumPixelValue, 5.926);
    EXPECT_FALSE(makeHDREmojiImage("xyz", EMOJI_FONT_SIZE));
}

TEST(EmojiImage, EveryCatalogueEmojiHasAPicture) {
    for (const std::string& emoji : emojiList()) EXPECT_TRUE(makeEmojiImage(emoji, 16)) << emoji;
}
