#include "regions/EmojiCatalogue.h"

#include <locale.h>
#include <clocale>
#include <cstdlib>
#include <iterator>
#include <string>
#include <unordered_set>

#include "platform/text/UnicodeText.h"

namespace {

#include "regions/EmojiTable.inc"

// What an entry that does not parse stands for: U+1F600.
constexpr double UNPARSABLE_ENTRY = 128512;

// The entry's number as C's strtod reads it ("0x" hex included), whatever the process locale.
double parseEntry(std::string_view entry) {
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    const std::string text(entry);
    char* end = nullptr;
    const double value = strtod_l(text.c_str(), &end, cLocale);
    const bool parsedWhole = !text.empty() && end == text.c_str() + text.size();
    return parsedWhole ? value : UNPARSABLE_ENTRY;
}

}  // namespace

std::span<const EmojiGroup> emojiGroups() {
    return EMOJI_GROUPS;
}

std::vector<EmojiSection> emojiSections() {
    std::vector<EmojiSection> sections;
    std::unordered_set<char32_t> seen;
    for (const EmojiGroup& group : emojiGroups()) {
        EmojiSection& section = sections.emplace_back(EmojiSection{group.name, {}});
        for (std::string_view entry : group.entries) {
            const double value = parseEntry(entry);
            // Range first: converting an out-of-range double to an integer is undefined.
            if (!(value >= 0 && value <= 0x10FFFF)) continue;
            const auto scalar = char32_t(value);
            if (!hasEmojiProperty(scalar) || !seen.insert(scalar).second) continue;
            section.emoji.push_back(encodeUtf8(scalar));
        }
    }
    return sections;
}

std::vector<std::string> emojiList() {
    std::vector<std::string> list;
    for (EmojiSection& section : emojiSections())
        list.insert(list.end(), std::make_move_iterator(section.emoji.begin()),
                    std::make_move_iterator(section.emoji.end()));
    return list;
}
