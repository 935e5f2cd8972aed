#include "regions/EmojiImage.h"

#include "platform/text/EmojiFont.h"

std::optional<Image> makeEmojiImage(std::string_view text, double fontSize) {
    const EmojiFont* font = EmojiFont::shared();
    if (!font) return std::nullopt;
    return font->draw(text, fontSize);
}

std::optional<Image> makeHDREmojiImage(std::string_view text, double fontSize) {
    const std::optional<Image> picture = makeEmojiImage(text, fontSize);
    if (!picture) return std::nullopt;
    return hdrBoost(*picture, HDR_GAIN);
}
