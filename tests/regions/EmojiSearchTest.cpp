#include "regions/EmojiSearch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "regions/RecentEmoji.h"
#include "support/TempFolder.h"

namespace {

// Lines as Unicode's emoji-test.txt writes them, with a sequence, a variation-selector form,
// an unqualified repeat and lines that are not emoji.
constexpr const char* EMOJI_TEST = R"(# group: Smileys & Emotion
1F600                                                  ; fully-qualified     # 😀 E1.0 grinning face
1F604                                                  ; fully-qualified     # 😄 E0.6 grinning face with smiling eyes
1F60A                                                  ; fully-qualified     # 😊 E0.6 smiling face with smiling eyes
263A FE0F                                              ; fully-qualified     # ☺️ E0.6 smiling face
263A                                                   ; unqualified         # ☺ E0.6 smiling face
1F636 200D 1F32B FE0F                                  ; fully-qualified     # 😶‍🌫️ E13.1 face in clouds
1F455                                                  ; fully-qualified     # 👕 E0.6 t-shirt
ZZZZ ; fully-qualified # ? E1.0 not hex
110000 ; fully-qualified # ? E1.0 beyond Unicode
1F636                                                  ; fully-qualified
)";

}  // namespace

TEST(EmojiSearch, FindsEmojiByTheStartsOfTheWordsOfTheirNames) {
    TempFolder folder("emoji-search");
    std::ofstream(folder.file("emoji-test.txt")) << EMOJI_TEST;
    const EmojiSearch search(folder.file("emoji-test.txt"));
    EXPECT_EQ(search.find("smil"), (std::vector<std::string>{"😄", "😊", "☺"}));
    EXPECT_EQ(search.find("SMILING  Face wi"), (std::vector<std::string>{"😄", "😊"}));
    EXPECT_EQ(search.find("t-sh"), (std::vector<std::string>{"👕"}));
    EXPECT_TRUE(search.find("miling").empty());  // a word's start, not its middle
    EXPECT_TRUE(search.find("clouds").empty());  // sequences are not in the catalogue
    EXPECT_TRUE(search.find(" - ").empty());
    EXPECT_EQ(search.nameOf("😀"), "grinning face");
    EXPECT_EQ(search.nameOf("🙂"), "");

    const EmojiSearch missing(folder.file("absent.txt"));
    EXPECT_TRUE(missing.find("smil").empty());
}

TEST(EmojiSearch, TheInstalledNamesFindTheSmilingFaces) {
    if (!std::filesystem::exists(EMOJI_TEST_FILE)) GTEST_SKIP() << "unicode-data is not installed";
    const EmojiSearch search;
    const auto found = search.find("smil");
    EXPECT_NE(std::find(found.begin(), found.end(), "😊"), found.end());
    EXPECT_EQ(std::find(found.begin(), found.end(), "😀"), found.end());
    EXPECT_EQ(search.nameOf("🐶"), "dog face");
}

TEST(RecentEmoji, TheLastPickedComeFirstWithoutRepeatsOrStrangers) {
    std::vector<std::string> stored{"🐶", "not an emoji", "🐶", "😀"};
    const std::vector<std::string> catalogue = emojiList();
    stored.insert(stored.end(), catalogue.begin() + 10, catalogue.begin() + 50);
    RecentEmoji recent(stored);
    ASSERT_EQ(recent.items().size(), RecentEmoji::CAPACITY);
    EXPECT_EQ(recent.items()[0], "🐶");
    EXPECT_EQ(recent.items()[1], "😀");
    recent.use("😀");
    recent.use("x");
    EXPECT_EQ(recent.items()[0], "😀");
    EXPECT_EQ(recent.items()[1], "🐶");
    EXPECT_EQ(recent.items().size(), RecentEmoji::CAPACITY);
    EXPECT_EQ(recent.section().emoji, recent.items());
}
