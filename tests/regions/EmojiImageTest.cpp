#include "regions/EmojiImage.h"

#include <gtest/gtest.h>

#include <opencv2/core.hpp>

#include "regions/EmojiCatalogue.h"

TEST(EmojiImage, HdrPictureIsTheBoostedPicture) {
    const auto picture = makeEmojiImage("\U0001F436", EMOJI_FONT_SIZE);
    const auto hdr = makeHDREmojiImage("\U0001F436", EMOJI_FONT_SIZE);
    ASSERT_TRUE(picture && hdr);
    EXPECT_EQ(picture->height(), 720);
    EXPECT_EQ(hdr->extent, picture->extent);
    EXPECT_EQ(cv::norm(hdr->pixels, hdrBoost(*picture, HDR_GAIN)->pixels, cv::NORM_INF), 0);
    EXPECT_DOUBLE_EQ(hdr->properties.maximumPixelValue, 5.926);
    EXPECT_FALSE(makeHDREmojiImage("xyz", EMOJI_FONT_SIZE));
}

TEST(EmojiImage, EveryCatalogueEmojiHasAPicture) {
    for (const std::string& emoji : emojiList()) EXPECT_TRUE(makeEmojiImage(emoji, 16)) << emoji;
}
