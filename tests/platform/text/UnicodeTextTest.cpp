#include "platform/text/UnicodeText.h"

#include <gtest/gtest.h>

TEST(UnicodeText, EmojiPropertyFollowsUnicodeData) {
    EXPECT_TRUE(hasEmojiProperty(0x1F600));
    EXPECT_TRUE(hasEmojiProperty(U'#'));     // keycap base: Emoji, though text by default
    EXPECT_TRUE(hasEmojiProperty(0x1F1E6));  // regional indicator A
    EXPECT_TRUE(hasEmojiProperty(0x1FAF8));  // new in Emoji 15.0
    EXPECT_FALSE(hasEmojiProperty(U'A'));
    EXPECT_FALSE(hasEmojiProperty(0x200D));  // zero-width joiner
    EXPECT_FALSE(hasEmojiProperty(0xD83D));  // a surrogate is no scalar
    EXPECT_FALSE(hasEmojiProperty(0x110000));
}

TEST(UnicodeText, Utf8RoundTripsAndReplacesMalformedBytes) {
    for (char32_t c : {U'#', U'\u00A9', U'\U0001F600', U'\U0010FFFF'}) {
        EXPECT_EQ(decodeUtf8(encodeUtf8(c)), std::vector<char32_t>{c});
    }
    EXPECT_EQ(encodeUtf8(0xD800), "");
    EXPECT_EQ(decodeUtf8("a\xFF"
                         "b"),
              (std::vector<char32_t>{U'a', 0xFFFD, U'b'}));
    EXPECT_EQ(decodeUtf8("\xF0\x9F\x98"), std::vector<char32_t>{0xFFFD});  // cut short
}
