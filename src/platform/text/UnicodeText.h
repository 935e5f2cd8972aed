#pragma once
// Unicode facts the emoji code needs, from ICU's data (Unicode 15.0 with ICU 72).
// Pure functions; any thread.

#include <string>
#include <string_view>
#include <vector>

// A code point that may stand in a string: at most U+10FFFF and not a surrogate.
bool isUnicodeScalar(char32_t c);
// The `Emoji` binary property (emoji-data.txt); false for non-scalars.
bool hasEmojiProperty(char32_t c);
// Marks that draw nothing on their own (variation selectors, joiners, tags).
bool isDefaultIgnorable(char32_t c);

// The scalars of a UTF-8 string; each malformed sequence becomes U+FFFD.
std::vector<char32_t> decodeUtf8(std::string_view text);
// One scalar as UTF-8; empty for a non-scalar.
std::string encodeUtf8(char32_t c);
