#pragma once
// Decodes one audio track into mono float samples at a chosen rate (libswresample), in order,
// chunk by chunk. Streams: holds one decoded packet at a time.
// Threads: one thread reads at a time; `cancel` from any thread.

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/media/VideoReader.h"

struct AudioChunk {
    std::vector<float> samples;
    // Position of the first sample, in samples at the chosen rate from the file's time zero.
    int64_t start = 0;
};

class AudioReader {
public:
    // Empty, with a one-line reason, when the track cannot be decoded.
    static std::unique_ptr<AudioReader> open(const MediaSource& source, int track, int sampleRate,
                                             std::string* error = nullptr);
    ~AudioReader();

    int sampleRate() const;
    // The next chunk; `end` after the last, `failed` with the reason in `error()`.
    ReadStatus read(AudioChunk& chunk);
    // Goes to `seconds` from the file's time zero: the next chunk starts there (or at the first
    // sample after it). False when the file cannot seek.
    bool seek(double seconds);
    const std::string& error() const;
    void cancel() { cancelled_.store(true, std::memory_order_relaxed); }

private:
    struct Context;
    explicit AudioReader(std::unique_ptr<Context> context);
    std::unique_ptr<Context> context_;
    std::atomic<bool> cancelled_{false};
};
