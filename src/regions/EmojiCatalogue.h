#pragma once
// The emoji picker's catalogue: eight groups of emoji, each entry the first code point of one
// emoji written "0x" plus upper-case hex ("0x1F600"). The table is generated from Unicode's
// emoji-test.txt by scripts/gen-emoji-table.py.
//
// Immutable data and pure functions; any thread.

#include <span>
#include <string>
#include <string_view>
#include <vector>

struct EmojiGroup {
    std::string_view name;
    std::span<const std::string_view> entries;
};

// The groups in picker order: smileys and people, animals and nature, food and drink,
// activities, travel and places, objects, symbols, flags.
std::span<const EmojiGroup> emojiGroups();

// One group of the picker, its emoji ready to draw.
struct EmojiSection {
    std::string_view name;
    std::vector<std::string> emoji;
};

// The groups as ready-to-draw one-scalar UTF-8 strings, in table order: entries that are not
// an emoji scalar are dropped, repeats keep their first place.
std::vector<EmojiSection> emojiSections();
// The sections' emoji one after the other. The first is U+1F600, the emoji a new shape starts
// with.
std::vector<std::string> emojiList();
