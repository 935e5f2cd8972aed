#pragma once
// Small conversions shared by the FFmpeg wrappers of this folder. Any thread.

#include <cstring>
#include <optional>
#include <string>

extern "C" {
#include <libavutil/error.h>
#include <libavutil/mathematics.h>
#include <libavutil/rational.h>
}

#include "platform/time/MediaTime.h"

inline std::string averrorText(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

// A colour tag as the file states it, or `unstated` for a number FFmpeg has no name for: its C
// code stores any number a file holds, and in C++ an enum loaded with a value outside its range
// is undefined. The field is read as the int it is, never as the enum.
template <typename Enum>
Enum knownTag(const Enum& field, Enum count, Enum unstated) {
    int raw = 0;
    static_assert(sizeof raw == sizeof field);
    std::memcpy(&raw, &field, sizeof raw);
    return raw >= 0 && raw < int(count) ? Enum(raw) : unstated;
}

// A time in a stream's time base as a media time; time bases that are not 1/N are not exact
// timescales, so their values are converted.
inline std::optional<MediaTime> mediaTimeOf(int64_t value, AVRational base) {
    if (value == AV_NOPTS_VALUE || base.num <= 0 || base.den <= 0) return std::nullopt;
    if (base.num == 1) return MediaTime(value, base.den);
    return MediaTime(av_rescale_q(value, base, AVRational{1, base.den}), base.den);
}
