#include "platform/text/EmojiFont.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cmath>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#include <vector>

#include "platform/image/ImageOps.h"
#include "platform/text/UnicodeText.h"

struct EmojiFont::FreeTypeFace {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    ~FreeTypeFace() {
        if (face) FT_Done_Face(face);
        if (library) FT_Done_FreeType(library);
    }
};

namespace {

// FreeType's 26.6 fixed point to pixels.
double pixelsFrom26Dot6(FT_Pos value) {
    return double(value) / 64.0;
}

// The largest strike: bitmap fonts cannot be scaled by FreeType itself.
bool selectLargestStrike(FT_Face face) {
    if (face->num_fixed_sizes < 1) return false;
    int best = 0;
    for (int i = 1; i < face->num_fixed_sizes; ++i) {
        if (face->available_sizes[i].y_ppem > face->available_sizes[best].y_ppem) best = i;
    }
    return FT_Select_Size(face, best) == 0;
}

// Resampling can ring past a pixel's alpha; premultiplied colour may never exceed it.
void clampColoursToAlpha(cv::Mat& rgba) {
    rgba.forEach<cv::Vec4b>([](cv::Vec4b& p, const int*) {
        for (int c = 0; c < 3; ++c) p[c] = std::min(p[c], p[3]);
    });
}

}  // namespace

EmojiFont::EmojiFont(std::unique_ptr<FreeTypeFace> face) : face_(std::move(face)) {}
EmojiFont::~EmojiFont() = default;

const EmojiFont* EmojiFont::shared() {
    static const std::unique_ptr<EmojiFont> font = []() -> std::unique_ptr<EmojiFont> {
        auto face = std::make_unique<FreeTypeFace>();
        if (FT_Init_FreeType(&face->library) != 0) return nullptr;
        if (FT_New_Face(face->library, FONT_PATH.data(), 0, &face->face) != 0) return nullptr;
        if (!FT_HAS_COLOR(face->face) || !selectLargestStrike(face->face)) return nullptr;
        return std::unique_ptr<EmojiFont>(new EmojiFont(std::move(face)));
    }();
    return font.get();
}

std::optional<Image> EmojiFont::draw(std::string_view text, double lineHeight) const {
    if (!(lineHeight > 0) || lineHeight > MAX_PICTURE_SIDE) return std::nullopt;

    std::vector<Image> glyphs;  // premultiplied BGRA as FreeType gives them, extents in the line
    FT_Pos penX = 0;
    FT_Pos descender = 0;
    FT_Pos lineHeight26Dot6 = 0;
    {
        std::lock_guard lock(mutex_);
        FT_Face face = face_->face;
        descender = face->size->metrics.descender;
        lineHeight26Dot6 = face->size->metrics.ascender - descender;
        for (char32_t c : decodeUtf8(text)) {
            const FT_UInt index = FT_Get_Char_Index(face, FT_ULong(c));
            if (index == 0 || FT_Load_Glyph(face, index, FT_LOAD_COLOR) != 0) continue;
            const FT_Bitmap& bitmap = face->glyph->bitmap;
            if (bitmap.pixel_mode == FT_PIXEL_MODE_BGRA && bitmap.width > 0 && bitmap.rows > 0 &&
                bitmap.pitch > 0) {
                const cv::Mat view(int(bitmap.rows), int(bitmap.width), CV_8UC4, bitmap.buffer,
                                   size_t(bitmap.pitch));
                // Lower-left origin on the line box: the baseline is the descender's height.
                const double left = std::round(pixelsFrom26Dot6(penX)) + face->glyph->bitmap_left;
                const double bottom = std::round(pixelsFrom26Dot6(-descender)) +
                                      face->glyph->bitmap_top - double(bitmap.rows);
                glyphs.emplace_back(view.clone(),
                                    Rect{left, bottom, double(bitmap.width), double(bitmap.rows)});
            }
            penX += face->glyph->advance.x;
            // Both the strike-sized line and the scaled picture stay within bounds.
            const double lineWidth = pixelsFrom26Dot6(penX);
            if (std::max(lineWidth, lineWidth * lineHeight / pixelsFrom26Dot6(lineHeight26Dot6)) >
                MAX_PICTURE_SIDE) {
                return std::nullopt;
            }
        }
    }
    if (glyphs.empty()) return std::nullopt;

    const double strikeWidth = pixelsFrom26Dot6(penX);
    const double strikeHeight = pixelsFrom26Dot6(lineHeight26Dot6);
    const double scale = lineHeight / strikeHeight;
    const double width = std::round(strikeWidth * scale), height = std::round(lineHeight);

    const Rect lineBox{0, 0, std::ceil(strikeWidth), std::ceil(strikeHeight)};
    Image line(cv::Mat::zeros(int(lineBox.height), int(lineBox.width), CV_8UC4), lineBox);
    for (const Image& glyph : glyphs) line = ImageOps::sourceOver(glyph, line);
    cv::Mat canvas;
    cv::cvtColor(ImageOps::crop(line, lineBox).pixels, canvas, cv::COLOR_BGRA2RGBA);

    const cv::Size size(std::max(1, int(width)), std::max(1, int(height)));
    cv::Mat picture;
    cv::resize(canvas, picture, size, 0, 0, scale > 1 ? cv::INTER_CUBIC : cv::INTER_AREA);
    clampColoursToAlpha(picture);
    return Image(picture);
}
