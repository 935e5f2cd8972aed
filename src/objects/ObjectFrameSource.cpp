#include "objects/ObjectFrameSource.h"

namespace {

class VideoFrameSource final : public ObjectFrameSource {
public:
    explicit VideoFrameSource(std::unique_ptr<VideoReader> reader) : reader_(std::move(reader)) {}
    bool setRange(const MediaTimeRange& range) override { return reader_->setRange(range); }
    ReadStatus read(VideoFrame& frame) override { return reader_->read(frame); }
    void cancel() override { reader_->cancel(); }

private:
    std::unique_ptr<VideoReader> reader_;
};

}  // namespace

std::unique_ptr<ObjectFrameSource> openVideoFrameSource(const std::string& path, int maxSide) {
    VideoReaderSettings settings;
    settings.format = VideoPixelFormat::bgra8;
    settings.maxSide = maxSide;
    auto reader = VideoReader::open(path, settings);
    if (!reader) return nullptr;
    return std::make_unique<VideoFrameSource>(std::move(reader));
}
