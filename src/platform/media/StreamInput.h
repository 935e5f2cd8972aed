#pragma once
// A file opened for decoding one of its streams: the demuxer, the stream and its decoder (on
// FFmpeg's own threads); every other stream is discarded so its packets cost nothing.
// Owned by one reader; one thread at a time.

#include <string>

extern "C" {
#include <libavcodec/avcodec.h>
}

#include "platform/media/FormatInput.h"

struct StreamInput : FormatInput {
    AVStream* stream = nullptr;
    AVCodecContext* decoder = nullptr;

    StreamInput() = default;
    ~StreamInput();

    // Opens `source` and the decoder of stream `index` of `type`, or of the first stream of that
    // type (cover pictures aside) when `index` is negative. Empty on success, else the reason.
    std::string open(const MediaSource& source, AVMediaType type, int index);
};
