#pragma once
// The emoji pictures of a region: the emoji drawn at a large size once, then only scaled per
// frame; and the same picture brightened for HDR sources (hdrBoost, whose representation is
// described in platform/text/HdrBoost.h).
//
// Any thread. Each picture is a new buffer, immutable once returned.

#include <optional>
#include <string_view>

#include "platform/image/Image.h"
#include "platform/text/HdrBoost.h"

inline constexpr double EMOJI_FONT_SIZE = 720;  // line height in pixels
inline constexpr double HDR_GAIN = 4.926;       // SDR white to the HLG peak (1000 / 203 cd/m²)

// `text` drawn with the colour emoji font on its line box, `fontSize` pixels high and as wide
// as its advance, not cropped to the ink. Nothing when the font is missing or has no picture
// for any character of `text`.
std::optional<Image> makeEmojiImage(std::string_view text, double fontSize);

// makeEmojiImage, then hdrBoost with HDR_GAIN.
std::optional<Image> makeHDREmojiImage(std::string_view text, double fontSize);
