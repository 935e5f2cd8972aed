#pragma once
// Finds the catalogue's emoji by name ("smil" finds the smiling faces), from the names in
// Unicode's emoji-test.txt (Debian's unicode-data), read once when the search is made.
//
// Threads: immutable after construction; any thread.

#include <string>
#include <string_view>
#include <vector>

inline constexpr const char* EMOJI_TEST_FILE = "/usr/share/unicode/emoji/emoji-test.txt";

class EmojiSearch {
public:
    // Reads the names from `emojiTestPath`. A missing or unreadable file leaves the search
    // empty: it finds nothing.
    explicit EmojiSearch(const std::string& emojiTestPath = EMOJI_TEST_FILE);

    // The catalogue's emoji, in catalogue order, whose name has for every word of `query` a
    // word starting with it, in any case. A query without words finds nothing.
    std::vector<std::string> find(std::string_view query) const;
    // The emoji's name ("grinning face"); empty when it has none.
    std::string_view nameOf(std::string_view emoji) const;

private:
    struct Entry {
        std::string emoji;
        std::string name;
        std::vector<std::string> words;  // lower case
    };
    std::vector<Entry> entries_;
};
