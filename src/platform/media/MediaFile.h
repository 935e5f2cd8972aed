#pragma once
// Facts of a media file read through FFmpeg. Each fact is its own call returning an empty
// optional when it cannot be read, so a caller can go on after one fails.
// One thread at a time per MediaFile; different files may be used on different threads.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/image/Geometry.h"
#include "platform/media/MediaSource.h"
#include "platform/time/MediaTime.h"

enum class TransferFunction { unspecified, bt709, pq, hlg, itu2020, other };
const char* transferFunctionName(TransferFunction f);

// How a stream is coded, in FFmpeg's own names ("h264", "High", "yuv420p", "bt709", ...).
struct StreamInfo {
    std::string codec;
    std::string profile;
    std::string codecTag;
    std::string pixelFormat;
    std::string primaries;
    std::string transfer;
    std::string matrix;
    int width = 0;
    int height = 0;
    bool hasDisplayMatrix = false;
    int channels = 0;
    int sampleRate = 0;
};

class MediaFile {
public:
    // Empty with a one-line reason ("NAME: the file is empty") when the file cannot be opened or
    // is not a media file.
    static std::unique_ptr<MediaFile> open(const MediaSource& source, std::string* error = nullptr);
    ~MediaFile();

    // Longest stream duration, in that stream's own timescale.
    std::optional<MediaTime> duration() const;
    // Stream indexes in file order.
    std::vector<int> videoTracks() const;
    std::vector<int> audioTracks() const;

    std::optional<MediaTime> minFrameDuration(int track) const;
    std::optional<AffineTransform> preferredTransform(int track) const;
    std::optional<float> nominalFrameRate(int track) const;
    std::optional<Size> naturalSize(int track) const;
    std::optional<TransferFunction> transferFunction(int track) const;
    // Average data rate in bits per second, when the file states it.
    std::optional<double> bitRate(int track) const;
    std::optional<StreamInfo> streamInfo(int track) const;
    // Every packet's presentation time on a track, sorted. Reads the whole file.
    std::vector<MediaTime> presentationTimes(int track);

private:
    struct Context;
    explicit MediaFile(std::unique_ptr<Context> context);
    std::unique_ptr<Context> context_;
};
