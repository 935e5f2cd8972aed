#include "regions/RecentEmoji.h"

#include <algorithm>

RecentEmoji::RecentEmoji(const std::vector<std::string>& stored) {
    for (std::string& emoji : emojiList()) catalogue_.insert(std::move(emoji));
    for (const std::string& emoji : stored) {
        if (items_.size() == CAPACITY) break;
        if (catalogue_.count(emoji) &&
            std::find(items_.begin(), items_.end(), emoji) == items_.end())
            items_.push_back(emoji);
    }
}

void RecentEmoji::use(const std::string& emoji) {
    if (!catalogue_.count(emoji)) return;
    auto it = std::find(items_.begin(), items_.end(), emoji);
    if (it != items_.end()) items_.erase(it);
    items_.insert(items_.begin(), emoji);
    if (items_.size() > CAPACITY) items_.pop_back();
}
