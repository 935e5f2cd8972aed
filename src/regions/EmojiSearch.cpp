#include "regions/EmojiSearch.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <fstream>
#include <optional>
#include <unordered_map>
#include <utility>

#include "platform/text/UnicodeText.h"
#include "regions/EmojiCatalogue.h"

namespace {

constexpr char32_t VARIATION_SELECTOR_EMOJI = 0xFE0F;

// Words are runs of letters and digits; bytes of other scripts count as letters.
std::vector<std::string> lowerCaseWords(std::string_view text) {
    std::vector<std::string> words;
    std::string word;
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        const bool inWord = byte >= 0x80 || std::isalnum(byte);
        if (inWord) {
            word.push_back(char(byte < 0x80 ? std::tolower(byte) : byte));
        } else if (!word.empty()) {
            words.push_back(std::move(word));
            word.clear();
        }
    }
    if (!word.empty()) words.push_back(std::move(word));
    return words;
}

std::string_view trimmed(std::string_view s) {
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) return {};
    return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

// The scalar an emoji-test.txt line stands for when it is one emoji scalar (with or without
// the emoji variation selector), and its name; other lines (comments, sequences) give none.
std::optional<std::pair<char32_t, std::string_view>> singleScalarName(std::string_view line) {
    const auto semicolon = line.find(';'), hash = line.find('#');
    if (line.empty() || line[0] == '#' || semicolon == std::string_view::npos ||
        hash == std::string_view::npos || hash < semicolon)
        return std::nullopt;
    std::vector<char32_t> scalars;
    std::string_view codes = trimmed(line.substr(0, semicolon));
    while (!codes.empty()) {
        uint32_t value = 0;
        auto [end, error] = std::from_chars(codes.data(), codes.data() + codes.size(), value, 16);
        if (error != std::errc() || value > 0x10FFFF) return std::nullopt;
        scalars.push_back(char32_t(value));
        codes = trimmed(codes.substr(size_t(end - codes.data())));
    }
    if (scalars.empty() || scalars.size() > 2 ||
        (scalars.size() == 2 && scalars[1] != VARIATION_SELECTOR_EMOJI))
        return std::nullopt;
    // The comment is "<emoji> E<version> <name>".
    std::string_view comment = trimmed(line.substr(hash + 1));
    for (int skip = 0; skip < 2; ++skip) {
        const auto space = comment.find(' ');
        if (space == std::string_view::npos) return std::nullopt;
        comment = trimmed(comment.substr(space + 1));
    }
    if (comment.empty()) return std::nullopt;
    return std::pair{scalars[0], comment};
}

}  // namespace

EmojiSearch::EmojiSearch(const std::string& emojiTestPath) {
    std::ifstream in(emojiTestPath);
    std::unordered_map<char32_t, std::string> names;
    for (std::string line; std::getline(in, line);)
        if (auto named = singleScalarName(line)) names.try_emplace(named->first, named->second);
    if (names.empty()) return;
    for (std::string& emoji : emojiList()) {
        const std::vector<char32_t> scalars = decodeUtf8(emoji);
        auto name = scalars.size() == 1 ? names.find(scalars[0]) : names.end();
        if (name == names.end()) continue;
        entries_.push_back({std::move(emoji), name->second, lowerCaseWords(name->second)});
    }
}

std::vector<std::string> EmojiSearch::find(std::string_view query) const {
    const std::vector<std::string> wanted = lowerCaseWords(query);
    std::vector<std::string> found;
    if (wanted.empty()) return found;
    for (const Entry& entry : entries_) {
        const bool matches = std::all_of(wanted.begin(), wanted.end(), [&](const std::string& w) {
            return std::any_of(entry.words.begin(), entry.words.end(),
                               [&](const std::string& word) { return word.starts_with(w); });
        });
        if (matches) found.push_back(entry.emoji);
    }
    return found;
}

std::string_view EmojiSearch::nameOf(std::string_view emoji) const {
    auto it = std::find_if(entries_.begin(), entries_.end(),
                           [&](const Entry& e) { return e.emoji == emoji; });
    return it == entries_.end() ? std::string_view() : std::string_view(it->name);
}
