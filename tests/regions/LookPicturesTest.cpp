#include "regions/LookPictures.h"

#include <gtest/gtest.h>

#include "platform/image/ImageOps.h"
#include "regions/TrackedRegion.h"

namespace {

TrackedRegion region(std::string emoji, bool hdr = false) {
    return TrackedRegion({}, Image(), std::move(emoji), Cover::circle, hdr);
}

}  // namespace

TEST(LookPictures, RegionsOfOneSoftnessOrEmojiShareTheirPictures) {
    // Made separately, as a loaded project makes them: one set of pixels per look.
    auto a = region("😀", true), b = region("😀", true), dog = region("🐶");
    ASSERT_TRUE(a.circle && a.rectangle && a.emojiImage && a.hdrEmojiImage);
    EXPECT_TRUE(b.circle->sharesPixelsWith(*a.circle));
    EXPECT_TRUE(b.rectangle->sharesPixelsWith(*a.rectangle));
    EXPECT_TRUE(b.emojiImage->sharesPixelsWith(*a.emojiImage));
    EXPECT_TRUE(b.hdrEmojiImage->sharesPixelsWith(*a.hdrEmojiImage));
    EXPECT_FALSE(dog.emojiImage->sharesPixelsWith(*a.emojiImage));
    EXPECT_TRUE(dog.circle->sharesPixelsWith(*a.circle));

    // Another softness has its own masks, and changing one region's leaves the other's alone.
    b.setSoftness(0.5);
    EXPECT_FALSE(b.circle->sharesPixelsWith(*a.circle));
    auto c = region("😀");
    c.setSoftness(0.5);
    EXPECT_TRUE(c.circle->sharesPixelsWith(*b.circle));
    EXPECT_EQ(ImageOps::visibleBounds(*a.circle), ImageOps::visibleBounds(*region("🐶").circle));
    EXPECT_NE(ImageOps::visibleBounds(*b.circle), ImageOps::visibleBounds(*a.circle));
}
