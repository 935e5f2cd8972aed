#pragma once
// Draws text as a colour picture with the Noto Color Emoji font through FreeType.
//
// The font holds one bitmap strike (136 × 128 pixels a glyph), so text is composed at the
// strike's size and the picture is then scaled to the requested line height.
//
// Threads: `shared()` and `draw()` may be called from any thread; drawing takes a lock because
// a FreeType face is not thread-safe. The font is loaded once and lives for the whole run.
// Pictures are new, unshared buffers owned by the caller.

#include <memory>
#include <mutex>
#include <optional>
#include <string_view>

#include "platform/image/Image.h"

class EmojiFont {
public:
    static constexpr std::string_view FONT_PATH =
        "/usr/share/fonts/truetype/noto/NotoColorEmoji.ttf";

    // Pictures, and the strike-sized line they are made from, larger than this are refused
    // rather than allocated.
    static constexpr int MAX_PICTURE_SIDE = 16384;

    // The process-wide font; nullptr when the font file cannot be loaded.
    static const EmojiFont* shared();

    // The text drawn on its line box: as wide as the glyphs' advances together, as high as
    // the line (ascender to descender), scaled so the line is `lineHeight` pixels, not cropped
    // to the ink. Premultiplied RGBA, 8 bits, extent at the origin. Glyphs stand side by side
    // (no ligatures); characters the font lacks are left out. Nothing when no character of the
    // text has a picture in the font (empty text, letters only), when `lineHeight` is not positive
    // or either side of the picture would exceed MAX_PICTURE_SIDE.
    std::optional<Image> draw(std::string_view text, double lineHeight) const;

    ~EmojiFont();
    EmojiFont(const EmojiFont&) = delete;
    EmojiFont& operator=(const EmojiFont&) = delete;

private:
    struct FreeTypeFace;
    explicit EmojiFont(std::unique_ptr<FreeTypeFace> face);

    std::unique_ptr<FreeTypeFace> face_;
    mutable std::mutex mutex_;
};
