#pragma once
// Where a media file is read from: a path, or bytes already in memory (a fuzzer's input, a
// file received whole). Any thread.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

struct MediaSource {
    // The path, or for bytes in memory the name used in messages.
    std::string name;
    // Read instead of the file when `inMemory`; they must outlive every reader opened on them.
    std::span<const uint8_t> bytes;
    bool inMemory = false;

    // Implicit, so a path is a source wherever one is asked for.
    MediaSource(std::string path) : name(std::move(path)) {}
    static MediaSource memory(std::span<const uint8_t> bytes, std::string name) {
        MediaSource source(std::move(name));
        source.bytes = bytes;
        source.inMemory = true;
        return source;
    }
};
