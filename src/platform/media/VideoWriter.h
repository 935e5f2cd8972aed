#pragma once
// Writes an MP4: H.264 (libx264, yuv420p, BT.709 tags) or, for HDR, HEVC Main 10 (libx265,
// yuv420p10le, BT.2020 primaries and matrix, HLG transfer, tagged 'hvc1'), and optionally mono
// AAC. Every frame keeps its presentation time, so a variable frame rate stays variable.
//
// Set-up runs in steps so a caller can tell which one failed: create (the file), addVideo,
// addAudio, start (the header). Then writeVideo / writeAudio in any interleaving, and finish.
// The file is deleted when the writer is destroyed without a successful finish, so a failed
// or abandoned export never leaves a partial file.
//
// Threads: one thread at a time.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/media/AudioReader.h"
#include "platform/media/VideoFrame.h"

struct VideoWriterSettings {
    int width = 0;   // even
    int height = 0;  // even
    bool hdr = false;
    // Average bits per second; 0 lets the encoder aim at a constant quality instead.
    double bitRate = 0;
    // Timescale of the frame times handed to writeVideo.
    int32_t timescale = 90000;
    // Average frame rate for rate control; 0 when unknown.
    double frameRate = 0;
};

// Encoder presets, chosen so a 1080p30 export keeps up with real time on two cores
// (see docs/export.md).
inline constexpr const char* H264_PRESET = "veryfast";
inline constexpr const char* HEVC_PRESET = "ultrafast";
// x264 options beyond the preset for pictures of this size (x264-params syntax); empty when
// the preset's own are used.
std::string h264Params(int width, int height);

class VideoWriter {
public:
    // Opens `path` for writing; empty, with the reason, when the file cannot be created.
    static std::unique_ptr<VideoWriter> create(const std::string& path, std::string* error);
    ~VideoWriter();

    bool addVideo(const VideoWriterSettings& settings);
    // Mono AAC at `sampleRate` and `bitRate` bits per second, fed with writeAudio.
    bool addAudio(int sampleRate, int bitRate);
    bool start();

    // Encodes `picture` at `source`'s time. When `picture` is the very picture the reader made
    // (the filter chain changed nothing) and the reader kept the decoder's picture, that is
    // encoded as it is, sparing the conversion back to YUV. When `changed` lists the only
    // areas (top-down pixel rects) in which `picture` differs from the source, only those are
    // converted, over a copy of the decoder's picture (8-bit output, areas covering at most
    // half the frame).
    bool writeVideo(const VideoFrame& source, const Image& picture,
                    const std::vector<cv::Rect>& changed = {});
    bool writeAudio(const AudioChunk& chunk);
    // Flushes the encoders and completes the file, which then stays.
    bool finish();
    // Closes and deletes the file now; false when the file could not be removed.
    bool discard();

    const std::string& path() const;
    // Why the last step failed.
    const std::string& error() const;
    // How many frames were encoded from the decoder's picture without conversion.
    int64_t passedThroughFrames() const;
    // Frames of which only the changed areas were converted.
    int64_t framesConvertedByArea() const;

private:
    struct Context;
    explicit VideoWriter(std::unique_ptr<Context> context);
    std::unique_ptr<Context> context_;
};
