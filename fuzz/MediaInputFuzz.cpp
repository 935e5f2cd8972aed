// libFuzzer entry for the media input: any bytes, read as a file would be, through probing,
// video decoding and picture conversion and audio decoding, must give facts, frames or one
// error message, never a crash, a hang or a leak. A few frames each keep inputs fast.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "platform/media/AudioReader.h"
#include "platform/media/MediaFile.h"
#include "platform/media/VideoReader.h"

namespace {

constexpr int MAX_FRAMES = 4;
constexpr int MAX_CHUNKS = 8;
// Small pictures keep each input fast; the scaler still converts from the stored size.
constexpr int MAX_SIDE = 64;

void check(bool condition) {
    if (!condition) std::abort();
}

void readFacts(MediaFile& file) {
    (void)file.duration();
    for (int track : file.videoTracks()) {
        (void)file.minFrameDuration(track);
        (void)file.preferredTransform(track);
        (void)file.nominalFrameRate(track);
        (void)file.naturalSize(track);
        (void)file.transferFunction(track);
        (void)file.bitRate(track);
        (void)file.streamInfo(track);
    }
    for (int track : file.audioTracks()) (void)file.streamInfo(track);
}

void readVideo(const MediaSource& source, VideoPixelFormat format) {
    std::string error;
    auto reader = VideoReader::open(source, {.format = format, .maxSide = MAX_SIDE}, &error);
    if (!reader) {
        check(!error.empty());
        return;
    }
    (void)reader->trackRange();
    VideoFrame frame;
    ReadStatus status = ReadStatus::frame;
    for (int i = 0; i < MAX_FRAMES && status == ReadStatus::frame; ++i) {
        status = reader->read(frame);
        if (status == ReadStatus::frame)
            check(frame.image.pixels.cols == reader->width() &&
                  frame.image.pixels.rows == reader->height());
    }
    if (status == ReadStatus::failed) check(!reader->error().empty());
}

void readAudio(const MediaSource& source, int track) {
    std::string error;
    auto reader = AudioReader::open(source, track, 44100, &error);
    if (!reader) {
        check(!error.empty());
        return;
    }
    AudioChunk chunk;
    ReadStatus status = ReadStatus::frame;
    for (int i = 0; i < MAX_CHUNKS && status == ReadStatus::frame; ++i)
        status = reader->read(chunk);
    if (status == ReadStatus::failed) check(!reader->error().empty());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto source = MediaSource::memory(std::span(data, size), "input");
    std::string error;
    auto file = MediaFile::open(source, &error);
    if (!file) {
        check(!error.empty());
        return 0;
    }
    readFacts(*file);
    // The last byte picks the picture format, so both the 8- and 16-bit conversions are fuzzed.
    readVideo(source,
              size > 0 && data[size - 1] & 1 ? VideoPixelFormat::rgba16 : VideoPixelFormat::rgba8);
    if (auto audio = file->audioTracks(); !audio.empty()) readAudio(source, audio.front());
    return 0;
}
