#pragma once
// Decodes the first video track of a file into upright pictures (the display matrix applied by
// us) of a requested size and pixel format, in presentation order, over a time range that can
// be reset (an exact seek). Streams: only the frame being converted is held.
//
// Threads: one thread reads at a time; `cancel` may be called from any thread and makes the
// current and every later `read` return `cancelled`.

#include <atomic>
#include <memory>
#include <optional>
#include <string>

#include "platform/media/MediaSource.h"
#include "platform/media/VideoFrame.h"
#include "platform/time/MediaTime.h"

struct VideoReaderSettings {
    VideoPixelFormat format = VideoPixelFormat::rgba8;
    // Exact upright size; 0 x 0 takes the display size, shrunk to fit `maxSide` when that is
    // set. A size smaller than the display size by at most one pixel per side (the even size
    // of an odd source) is cut from the right and bottom edges rather than scaled.
    int width = 0;
    int height = 0;
    int maxSide = 0;
    // PQ pictures are converted to HLG (rgba16 only), so they can be written as HLG.
    bool pqToHlg = false;
    // Keep the decoder's picture in each frame for pass-through encoding (see VideoFrame).
    bool keepDecoded = false;
};

enum class ReadStatus { frame, end, failed, cancelled };

class VideoReader {
public:
    // Empty, with a one-line reason, when the file cannot be opened, has no video track or its
    // decoder cannot start.
    static std::unique_ptr<VideoReader> open(const MediaSource& source,
                                             const VideoReaderSettings& settings,
                                             std::string* error = nullptr);
    ~VideoReader();

    int width() const;
    int height() const;
    // The track's own span: first presentation time and duration.
    MediaTimeRange trackRange() const;
    // The stream's data rate in bits per second, when the file states it.
    std::optional<double> bitRate() const;
    // Frames per second on average, for encoders' rate control; 0 when unknown.
    double averageFrameRate() const;
    // The timescale of the track's presentation times.
    int32_t timescale() const;
    bool isPq() const;

    // Restricts reading to frames whose presentation time lies in `range`, starting over at its
    // start; false when the file cannot seek there. `withKeyFrame` reads the frame the seek
    // lands on first, even when it starts before the range: a picture near the range at the
    // cost of one frame, long before the range's own first frame is decoded.
    bool setRange(const MediaTimeRange& range, bool withKeyFrame = false);
    // The next frame into `frame`; `failed` also for a file that ends before its index says
    // (a truncated file), with the reason in `error()`.
    ReadStatus read(VideoFrame& frame);
    const std::string& error() const;

    void cancel() { cancelled_.store(true, std::memory_order_relaxed); }

private:
    struct Context;
    explicit VideoReader(std::unique_ptr<Context> context);
    std::unique_ptr<Context> context_;
    std::atomic<bool> cancelled_{false};
};
