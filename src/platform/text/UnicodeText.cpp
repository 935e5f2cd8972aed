#include "platform/text/UnicodeText.h"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <cstdint>

bool isUnicodeScalar(char32_t c) {
    return c <= 0x10FFFF && !(c >= 0xD800 && c <= 0xDFFF);
}

bool hasEmojiProperty(char32_t c) {
    return isUnicodeScalar(c) && u_hasBinaryProperty(UChar32(c), UCHAR_EMOJI);
}

bool isDefaultIgnorable(char32_t c) {
    return isUnicodeScalar(c) &&
           u_hasBinaryProperty(UChar32(c), UCHAR_DEFAULT_IGNORABLE_CODE_POINT);
}

std::vector<char32_t> decodeUtf8(std::string_view text) {
    std::vector<char32_t> scalars;
    if (text.size() > size_t(INT32_MAX)) return {U'\uFFFD'};  // ICU counts in int32_t
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    const auto length = int32_t(text.size());
    for (int32_t i = 0; i < length;) {
        UChar32 c = 0;
        U8_NEXT(bytes, i, length, c);
        scalars.push_back(c < 0 ? U'\uFFFD' : char32_t(c));
    }
    return scalars;
}

std::string encodeUtf8(char32_t c) {
    if (!isUnicodeScalar(c)) return {};
    uint8_t buffer[U8_MAX_LENGTH];
    int32_t length = 0;
    U8_APPEND_UNSAFE(buffer, length, UChar32(c));  // a scalar always fits U8_MAX_LENGTH
    return std::string(reinterpret_cast<const char*>(buffer), size_t(length));
}
