#include "cli/AnonymizeOptions.h"

#include <CLI/CLI.hpp>
#include <charconv>

#include "cli/FaceScanSession.h"
#include "cli/Options.h"
#include "core/StyleKindName.h"
#include "regions/EmojiCatalogue.h"
#include "regions/EmojiImage.h"
#include "session/EditSession.h"

namespace {

std::optional<std::string> parseCover(const std::string& text, Cover& type) {
    auto cover = coverFromName(text);
    if (!cover || *cover == Cover::none) return "--type must be circle, rectangle or emoji";
    type = *cover;
    return std::nullopt;
}

std::optional<std::string> parseEmoji(const std::string& text, std::string& emoji) {
    if (!makeEmojiImage(text, 16)) return "--emoji: no picture for '" + text + "'";
    emoji = text;
    return std::nullopt;
}

// The shortest text that reads back as exactly `value`.
std::string exactNumber(double value) {
    char text[32];
    auto end = std::to_chars(text, text + sizeof text, value).ptr;
    return std::string(text, end);
}

}  // namespace

void addAnonymizeOptions(CLI::App& app, AnonymizeOptions& options) {
    addParsed<Cover>(app, "--type", options.face.cover, "circle|rectangle|emoji",
                     "how each face is hidden (circle)", parseCover);
    addStyle(app, "--style", options.face.style, "style", "the style over each face (gaussian)");
    addNumberIn(app, "--intensity", options.face.intensity, 0, 1,
                "the style's strength, 0 to 1 (1)");
    addNumberIn(app, "--softness", options.face.softness, 0, 1,
                "the softness of the edges, 0 to 1 (0.2)");
    addNumberIn(app, "--scale", options.face.scale, 0.1, 10,
                "the enlargement of the hidden area, 0.1 to 10 (1)");
    addParsed<std::string>(app, "--emoji", options.face.emoji, "E", "the emoji for --type emoji",
                           parseEmoji);
    addStyle(app, "--background", options.background, "background style",
             "style everything but the people too (off)");
    addReachFlags(app, options.reach);
}

std::vector<std::string> optionWords(const AnonymizeOptions& options) {
    std::vector<std::string> words = {
        "--type",       std::string(coverName(options.face.cover)),
        "--style",      std::string(styleKindName(options.face.style)),
        "--intensity",  exactNumber(options.face.intensity),
        "--softness",   exactNumber(options.face.softness),
        "--scale",      exactNumber(options.face.scale),
        "--background", std::string(styleKindName(options.background))};
    if (!options.face.emoji.empty()) words.insert(words.end(), {"--emoji", options.face.emoji});
    if (options.reach == FaceScanReach::smallFaces) words.push_back("--small-faces");
    if (options.reach == FaceScanReach::fast) words.push_back("--fast");
    return words;
}

std::string effectiveEmoji(const AnonymizeOptions& options) {
    if (!options.face.emoji.empty() || emojiList().empty()) return options.face.emoji;
    return emojiList().front();
}

void applyAnonymizeOptions(EditSession& session, const AnonymizeOptions& options) {
    session.faceEditor().hideEveryFace(options.face);
    session.backgroundEditor().setStyle(options.background);
}
