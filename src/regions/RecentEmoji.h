#pragma once
// The emoji the user picked last, most recent first, shown before the catalogue's groups in
// the emoji picker. The caller stores `items()` between runs and hands them back.
//
// Threads: the GUI thread's, like the picker that owns it.

#include <string>
#include <unordered_set>
#include <vector>

#include "regions/EmojiCatalogue.h"

class RecentEmoji {
public:
    static constexpr size_t CAPACITY = 24;
    static constexpr std::string_view SECTION_NAME = "recently used";

    // `stored`: the list as last stored. Entries that are not in the catalogue, repeats and
    // any past CAPACITY are dropped: the stored list may be stale or edited by hand.
    explicit RecentEmoji(const std::vector<std::string>& stored = {});

    // `emoji` was picked: it goes first. Emoji outside the catalogue are ignored.
    void use(const std::string& emoji);
    // Most recent first: what to store.
    const std::vector<std::string>& items() const { return items_; }
    // The picker's first section.
    EmojiSection section() const { return {SECTION_NAME, items_}; }

private:
    std::unordered_set<std::string> catalogue_;
    std::vector<std::string> items_;
};
