#include "regions/EmojiCatalogue.h"

#include <gtest/gtest.h>

#include <unistd.h>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "platform/text/UnicodeText.h"

namespace {

struct GroupRow {
    std::string_view name;
    size_t size;
    std::vector<std::string_view> first;
    std::string_view last;
};

const std::vector<GroupRow> EXPECTED_GROUPS = {
    {"smileys and people", 529, {"0x1F600", "0x1F603", "0x1F604", "0x1F601"}, "0x1F463"},
    {"animals and nature", 152, {"0x1F435", "0x1F412", "0x1F98D"}, "0x1F344"},
    {"food and drink", 133, {"0x1F347", "0x1F348", "0x1F349"}, "0x1F3FA"},
    {"activities", 85, {"0x1F383", "0x1F384", "0x1F386"}, "0x1FAA2"},
    {"travel and places", 218, {"0x1F30D", "0x1F30E", "0x1F30F"}, "0x1F30A"},
    {"objects", 261, {"0x1F453", "0x1F576", "0x1F97D"}, "0x1FAAA"},
    {"symbols", 223, {"0x1F3E7", "0x1F6AE", "0x1F6B0", "0x267F"}, "0x1F532"},
    {"flags", 269, {"0x1F3C1", "0x1F6A9", "0x1F38C", "0x1F3F4"}, "0x1F3F4"},
};

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

TEST(EmojiCatalogue, GroupsHaveTheirSizesAndEnds) {
    const auto groups = emojiGroups();
    ASSERT_EQ(groups.size(), EXPECTED_GROUPS.size());
    unsigned long lowest = ~0ul, highest = 0;
    for (size_t g = 0; g < groups.size(); ++g) {
        const GroupRow& row = EXPECTED_GROUPS[g];
        SCOPED_TRACE(row.name);
        EXPECT_EQ(groups[g].name, row.name);
        ASSERT_EQ(groups[g].entries.size(), row.size);
        for (size_t i = 0; i < row.first.size(); ++i) EXPECT_EQ(groups[g].entries[i], row.first[i]);
        EXPECT_EQ(groups[g].entries.back(), row.last);
        for (std::string_view entry : groups[g].entries) {
            ASSERT_EQ(entry.substr(0, 2), "0x");
            ASSERT_EQ(entry.find_first_not_of("0123456789ABCDEF", 2), std::string_view::npos);
            const unsigned long value = std::stoul(std::string(entry), nullptr, 16);
            lowest = std::min(lowest, value);
            highest = std::max(highest, value);
        }
    }
    EXPECT_EQ(lowest, 0x23ul);
    EXPECT_EQ(highest, 0x1FAF8ul);
}

TEST(EmojiCatalogue, ListHoldsEachEmojiOnceStartingWithTheGrinningFace) {
    const std::vector<std::string> list = emojiList();
    ASSERT_FALSE(list.empty());
    EXPECT_EQ(list.front(), "\U0001F600");
    EXPECT_LE(list.size(), 1415u);
    EXPECT_GT(list.size(), 1300u);
    EXPECT_EQ(std::set<std::string>(list.begin(), list.end()).size(), list.size());

    int regionalIndicators = 0;
    for (const std::string& emoji : list) {
        const std::vector<char32_t> scalars = decodeUtf8(emoji);
        ASSERT_EQ(scalars.size(), 1u) << emoji;
        EXPECT_TRUE(hasEmojiProperty(scalars[0])) << emoji;
        if (scalars[0] >= 0x1F1E6 && scalars[0] <= 0x1F1FF) ++regionalIndicators;
    }
    EXPECT_EQ(regionalIndicators, 26);  // one per letter, not one per flag
    EXPECT_EQ(emojiList(), list);
}

// The committed table is what the generator makes from the installed Unicode data.
TEST(EmojiCatalogue, TableMatchesItsGenerator) {
    const std::filesystem::path data = "/usr/share/unicode/emoji/emoji-test.txt";
    if (!std::filesystem::exists(data)) GTEST_SKIP() << "unicode-data is not installed";
    const std::filesystem::path source = VEILCUT_SOURCE_DIR;
    const auto generated = std::filesystem::temp_directory_path() /
                           ("EmojiTable-" + std::to_string(::getpid()) + ".inc");
    const std::string command = "python3 '" + (source / "scripts/gen-emoji-table.py").string() +
                                "' '" + data.string() + "' '" + generated.string() + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(readFile(generated), readFile(source / "src/regions/EmojiTable.inc"));
    std::filesystem::remove(generated);
}
