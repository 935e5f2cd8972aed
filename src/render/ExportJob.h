#pragma once
// One export: reads the source, runs every frame through the frame handler and writes the new
// movie. Decoding, filtering and encoding run on three threads joined by short queues, so
// both cores stay busy and memory stays flat however long the video is.
//
// Threads: `run` blocks its (background) thread until the export has ended; `cancel` may be
// called from any thread at any time. Progress and completion are posted to the main queue.
// The frame handler is called on the filter thread, one frame at a time, in order.

#include <atomic>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/image/Image.h"
#include "platform/time/MediaTime.h"

class AudioReader;
class VideoReader;
class VideoWriter;

struct ExportSettings {
    std::string sourcePath;
    bool isHDR = false;
    // The upright display size; an odd side is written one pixel shorter (4:2:0 needs even).
    int width = 0;
    int height = 0;
    // The video's bit rate is the source's times this.
    double bitRateFactor = 1.0;
    // The folder of the new file; empty: Exporter's own scratch folder.
    std::string folder;
    // The file the movie will be renamed to, named in error lines instead of the temporary file
    // the user never asked for; empty: the temporary file itself.
    std::string shownPath;
};

struct ExportedFile {
    std::string url;
    std::string fileName;
};

// Either the file or, when the export failed, a one-line reason.
struct ExportResult {
    std::optional<ExportedFile> file;
    std::string error;
};

// The finished picture for a source picture at a time; an empty image keeps the source. A
// handler that knows where it changed the source may list those areas (of the source's
// extent) in `drawn`: the rest of the frame is then taken from the decoder's own picture.
using FrameHandler =
    std::function<Image(const Image& source, const MediaTime& time, std::vector<Rect>& drawn)>;
using ExportProgress = std::function<void(double fraction)>;
using ExportCompletion = std::function<void(const ExportResult& result)>;

class ExportJob {
public:
    ExportJob(ExportSettings settings, std::string outputPath, FrameHandler handler,
              ExportProgress progress, ExportCompletion completion);
    ~ExportJob();

    void run();
    void cancel();

private:
    // Opens reader and writer, logging the step that fails; false after a failure.
    bool prepare();
    // Moves every frame and audio sample through; false after a failure.
    bool copy();
    bool writeAudioUntil(int64_t sample);
    void fail(const std::string& reason);
    bool cancelled() const { return cancelled_.load(std::memory_order_relaxed); }

    ExportSettings settings_;
    std::string outputPath_;
    FrameHandler handler_;
    ExportProgress progress_;
    ExportCompletion completion_;
    std::atomic<bool> cancelled_{false};
    std::mutex readersMutex_;  // guards the reader pointers against `cancel` while they change
    std::unique_ptr<VideoReader> video_;
    std::unique_ptr<AudioReader> audio_;
    std::unique_ptr<VideoWriter> writer_;
    MediaTimeRange range_;
    int64_t audioEndSample_ = 0;
    int64_t audioWritten_ = 0;
    bool audioEnded_ = true;
    std::string error_;
};
