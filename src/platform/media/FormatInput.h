#pragma once
// A media source opened by the demuxer with its streams probed; the one place where files and
// bytes in memory are opened.
// One thread at a time.

#include <cstdint>
#include <span>
#include <string>

extern "C" {
#include <libavformat/avformat.h>
}

#include "platform/media/MediaSource.h"

// How far bytes in memory have been read.
struct MemoryCursor {
    std::span<const uint8_t> bytes;
    int64_t position = 0;
};

struct FormatInput {
    AVFormatContext* format = nullptr;

    FormatInput() = default;
    FormatInput(const FormatInput&) = delete;
    FormatInput& operator=(const FormatInput&) = delete;
    ~FormatInput();

    // Empty on success, else a short reason without the source's name.
    std::string open(const MediaSource& source);

private:
    // Bytes in memory are read through our own I/O context, which the demuxer does not free.
    MemoryCursor memory_;
    AVIOContext* io_ = nullptr;
};
