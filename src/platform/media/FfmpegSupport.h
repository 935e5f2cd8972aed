#pragma once
// Small conversions shared by the FFmpeg wrappers of this folder. Any thread.

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

// A time in a stream's time base as a media time; time bases that are not 1/N are not exact
// timescales, so their values are converted.
inline std::optional<MediaTime> mediaTimeOf(int64_t value, AVRational base) {
    if (value == AV_NOPTS_VALUE || base.num <= 0 || base.den <= 0) return std::nullopt;
    if (base.num == 1) return MediaTime(value, base.den);
    return MediaTime(av_rescale_q(value, base, AVRational{1, base.den}), base.den);
}
