#include "render/ExportJob.h"

#include <chrono>
#include <sstream>
#include <thread>

#include "platform/dispatch/BoundedQueue.h"
#include "platform/dispatch/MainQueue.h"
#include "platform/image/PixelGrid.h"
#include "platform/log/Log.h"
#include "platform/media/AudioReader.h"
#include "platform/media/MediaFile.h"
#include "platform/media/VideoReader.h"
#include "platform/media/VideoWriter.h"

namespace {

constexpr int AUDIO_SAMPLE_RATE = 44100;
constexpr int AUDIO_BIT_RATE = 128000;
// Frames waiting between two stages. One keeps every stage busy (each stage also holds the
// frame it works on) and was as fast as three on 1080p exports; each more costs about 45 MB
// at 4K.
constexpr size_t QUEUE_FRAMES = 1;
// Audio is written this far ahead of the video, so the muxer interleaves them closely.
constexpr int64_t AUDIO_LEAD_SAMPLES = AUDIO_SAMPLE_RATE / 2;

struct FilteredFrame {
    VideoFrame source;
    Image picture;
    std::vector<cv::Rect> changed;  // top-down pixels; empty: anywhere
};

}  // namespace

ExportJob::ExportJob(ExportSettings settings, std::string outputPath, FrameHandler handler,
                     ExportProgress progress, ExportCompletion completion)
    : settings_(std::move(settings)),
      outputPath_(std::move(outputPath)),
      handler_(std::move(handler)),
      progress_(std::move(progress)),
      completion_(std::move(completion)) {}

ExportJob::~ExportJob() = default;

void ExportJob::run() {
    auto started = std::chrono::steady_clock::now();
    bool copied = prepare() && copy();
    if (cancelled()) {
        if (writer_ && !writer_->discard()) logDebug("Error removing file: " + writer_->error());
        logDebug("Canceled!");
        return;
    }
    if (copied && !writer_->finish()) {
        copied = false;
        error_ = writer_->error();
    }
    if (!copied) {
        if (writer_) {
            if (!writer_->discard()) logDebug("Error removing file: " + writer_->error());
            logDebug("Failed!");
        }
        fail(error_);
        return;
    }
    logDebug("Completed!");
    std::ostringstream interval;
    interval << "TimeInterval: "
             << std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    logDebug(interval.str());
    std::string fileName = outputPath_.substr(outputPath_.find_last_of('/') + 1);
    ExportResult result{ExportedFile{outputPath_, fileName}, {}};
    MainQueue::shared().post([completion = completion_, result] {
        if (completion) completion(result);
    });
}

void ExportJob::cancel() {
    cancelled_.store(true, std::memory_order_relaxed);
    std::lock_guard lock(readersMutex_);
    if (video_) video_->cancel();
    if (audio_) audio_->cancel();
}

void ExportJob::fail(const std::string& reason) {
    ExportResult result{std::nullopt, reason.empty() ? "the export failed" : reason};
    if (!settings_.shownPath.empty())
        for (size_t at = 0; (at = result.error.find(outputPath_, at)) != std::string::npos;
             at += settings_.shownPath.size())
            result.error.replace(at, outputPath_.size(), settings_.shownPath);
    MainQueue::shared().post([completion = completion_, result] {
        if (completion) completion(result);
    });
}

bool ExportJob::prepare() {
    if (cancelled()) return false;
    VideoReaderSettings readerSettings;
    readerSettings.format = settings_.isHDR ? VideoPixelFormat::rgba16 : VideoPixelFormat::rgba8;
    readerSettings.width = settings_.width & ~1;
    readerSettings.height = settings_.height & ~1;
    readerSettings.pqToHlg = settings_.isHDR;
    readerSettings.keepDecoded = true;
    std::string why;
    auto video = readerSettings.width > 0 && readerSettings.height > 0
                     ? VideoReader::open(settings_.sourcePath, readerSettings, &why)
                     : nullptr;
    if (!video) {
        logDebug("Failed to create AVAssetReader.");
        error_ = why.empty() ? settings_.sourcePath + ": no picture size" : why;
        return false;
    }
    std::unique_ptr<AudioReader> audio;
    auto file = MediaFile::open(settings_.sourcePath);
    auto audioTracks = file ? file->audioTracks() : std::vector<int>{};
    if (!audioTracks.empty()) {
        audio =
            AudioReader::open(settings_.sourcePath, audioTracks.front(), AUDIO_SAMPLE_RATE, &why);
        if (!audio) {
            logDebug("Failed to create AVAssetReader.");
            error_ = why;
            return false;
        }
    }
    range_ = video->trackRange();
    audioEndSample_ = range_.end().convertScale(AUDIO_SAMPLE_RATE).value;
    audioEnded_ = !audio;
    {
        std::lock_guard lock(readersMutex_);
        video_ = std::move(video);
        audio_ = std::move(audio);
    }
    if (cancelled()) return false;

    writer_ = VideoWriter::create(outputPath_, &why);
    if (!writer_) {
        logDebug("failed to create AVAssetWriter.");
        error_ = why;
        return false;
    }
    VideoWriterSettings writerSettings;
    writerSettings.width = video_->width();
    writerSettings.height = video_->height();
    writerSettings.hdr = settings_.isHDR;
    writerSettings.bitRate = video_->bitRate().value_or(0) * settings_.bitRateFactor;
    writerSettings.timescale = video_->timescale();
    writerSettings.frameRate = video_->averageFrameRate();
    if (!writer_->addVideo(writerSettings)) {
        logDebug("failed to add video writer input.");
        error_ = writer_->error();
        return false;
    }
    if (audio_ && !writer_->addAudio(AUDIO_SAMPLE_RATE, AUDIO_BIT_RATE)) {
        logDebug("Failed to add audio writer input.");
        error_ = writer_->error();
        return false;
    }
    if (!writer_->start()) {
        logDebug("Failed to start writing.");
        error_ = writer_->error();
        return false;
    }
    return true;
}

bool ExportJob::copy() {
    BoundedQueue<VideoFrame> decoded(QUEUE_FRAMES);
    BoundedQueue<FilteredFrame> filtered(QUEUE_FRAMES);
    ReadStatus readStatus = ReadStatus::end;
    std::thread decoder([&] {
        VideoFrame frame;
        while ((readStatus = video_->read(frame)) == ReadStatus::frame)
            if (!decoded.push(std::move(frame))) break;
        decoded.close();
    });
    std::thread filter([&] {
        std::vector<Rect> drawn;
        while (auto frame = decoded.pop()) {
            drawn.clear();
            Image picture = handler_ ? handler_(frame->image, frame->time, drawn) : Image();
            if (picture.empty()) picture = frame->image;
            // The writer needs the source's RGBA pixels only when they are the picture itself;
            // otherwise they go now (a 4K frame holds 33 MB).
            if (!picture.sharesPixelsWith(frame->image)) frame->image.pixels.release();
            std::vector<cv::Rect> changed;
            for (const Rect& area : drawn) changed.push_back(pixelRectOf(picture.extent, area));
            if (!filtered.push({std::move(*frame), std::move(picture), std::move(changed)})) break;
        }
        filtered.close();
    });

    bool ok = true;
    double duration = range_.duration.seconds();
    while (auto item = filtered.pop()) {
        if (cancelled()) break;
        const MediaTime& time = item->source.time;
        if (!writeAudioUntil(time.convertScale(AUDIO_SAMPLE_RATE).value + AUDIO_LEAD_SAMPLES)) {
            ok = false;
            break;
        }
        if (duration > 0.01) {
            double fraction = (time - range_.start).seconds() / duration;
            MainQueue::shared().post([progress = progress_, fraction] {
                if (progress) progress(fraction);
            });
        }
        if (!writer_->writeVideo(item->source, item->picture, item->changed)) {
            logDebug("Failed to write video frame.");
            error_ = writer_->error();
            ok = false;
            break;
        }
    }
    // Whatever ended the loop, the other stages stop too.
    video_->cancel();
    decoded.abort();
    filtered.abort();
    decoder.join();
    filter.join();
    if (!ok || cancelled()) return false;
    if (readStatus == ReadStatus::failed) {
        error_ = settings_.sourcePath + ": " + video_->error();
        return false;
    }
    return writeAudioUntil(audioEndSample_);
}

bool ExportJob::writeAudioUntil(int64_t sample) {
    while (!audioEnded_ && audioWritten_ < sample) {
        AudioChunk chunk;
        ReadStatus status = audio_->read(chunk);
        if (status == ReadStatus::cancelled) return false;
        if (status == ReadStatus::failed) {
            error_ = settings_.sourcePath + ": " + audio_->error();
            return false;
        }
        // Audio past the end of the video is left out, as the video's span is what is read.
        if (status == ReadStatus::end || chunk.start >= audioEndSample_) {
            audioEnded_ = true;
            break;
        }
        int64_t room = audioEndSample_ - chunk.start;
        if (int64_t(chunk.samples.size()) > room) chunk.samples.resize(size_t(room));
        if (!writer_->writeAudio(chunk)) {
            logDebug("Failed to write audio frame.");
            error_ = writer_->error();
            return false;
        }
        audioWritten_ = chunk.start + int64_t(chunk.samples.size());
    }
    return true;
}
