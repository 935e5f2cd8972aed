#pragma once
// A media source opened by the demuxer with its streams probed; the one place where files and
// bytes in memory are opened, and where a failure to open is put into words.
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

    // Empty on success, else a short reason without the source's name ("the file is empty").
    std::string open(const MediaSource& source);

private:
    static int openOnlyTheSource(AVFormatContext* format, AVIOContext** io, const char* url,
                                 int flags, AVDictionary** options);

    // Bytes in memory are read through our own I/O context, which the demuxer does not free.
    MemoryCursor memory_;
    AVIOContext* io_ = nullptr;
    std::string path_;  // the one file the demuxer may open; empty for bytes in memory
    decltype(AVFormatContext::io_open) defaultOpen_ = nullptr;
    bool refused_ = false;
};
