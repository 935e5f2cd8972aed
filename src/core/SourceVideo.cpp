#include "core/SourceVideo.h"

#include <cmath>
#include <numbers>

#include "platform/dispatch/BackgroundQueue.h"
#include "platform/media/MediaFile.h"

namespace {

// Reads the facts from a file. A file FFmpeg cannot open gives empty facts at every step.
class FileSourceProbe final : public SourceProbe {
public:
    explicit FileSourceProbe(const std::string& path) : path_(path) {}

    std::optional<MediaTime> duration() override { return file() ? file_->duration() : std::nullopt; }
    std::optional<std::vector<SourceTrack>> videoTracks() override {
        if (!file()) return std::nullopt;
        return tracks(file_->videoTracks());
    }
    std::optional<std::vector<SourceTrack>> audioTracks() override {
        if (!file()) return std::nullopt;
        return tracks(file_->audioTracks());
    }
    std::optional<MediaTime> minFrameDuration(SourceTrack t) override {
        return file_->minFrameDuration(t.index);
    }
    std::optional<AffineTransform> preferredTransform(SourceTrack t) override {
        return file_->preferredTransform(t.index);
    }
    std::optional<float> nominalFrameRate(SourceTrack t) override {
        return file_->nominalFrameRate(t.index);
    }
    std::optional<Size> naturalSize(SourceTrack t) override { return file_->naturalSize(t.index); }
    bool isHDR(SourceTrack t) override {
        auto f = file_->transferFunction(t.index);
        return f == TransferFunction::pq || f == TransferFunction::hlg ||
               f == TransferFunction::itu2020;
    }
    std::string transferName(SourceTrack t) override {
        return transferFunctionName(file_->transferFunction(t.index).value_or(
            TransferFunction::unspecified));
    }

private:
    bool file() {
        if (!opened_) {
            opened_ = true;
            file_ = MediaFile::open(path_);
        }
        return file_ != nullptr;
    }
    static std::vector<SourceTrack> tracks(const std::vector<int>& indexes) {
        std::vector<SourceTrack> result;
        for (int i : indexes) result.push_back({i});
        return result;
    }

    std::string path_;
    bool opened_ = false;
    std::unique_ptr<MediaFile> file_;
};

}  // namespace

std::unique_ptr<SourceProbe> makeFileSourceProbe(const std::string& path) {
    return std::make_unique<FileSourceProbe>(path);
}

Size displaySize(Size natural, const std::optional<AffineTransform>& transform) {
    Size s = transform.value_or(AffineTransform::identity()).apply(natural);
    return {std::fabs(s.width), std::fabs(s.height)};
}

int rotationDegrees(const AffineTransform& t) {
    double degrees = -std::atan2(t.b, t.a) * 180 / std::numbers::pi;
    int whole = int(std::lround(degrees)) % 360;
    return whole < 0 ? whole + 360 : whole;
}

SourceVideo::SourceVideo(std::string path) : SourceVideo(path, makeFileSourceProbe(path)) {}

SourceVideo::SourceVideo(std::string path, std::unique_ptr<SourceProbe> source)
    : path_(std::move(path)), state_(std::make_shared<State>()) {
    BackgroundQueue::dispatch([state = state_, src = std::shared_ptr<SourceProbe>(
                                                   std::move(source))] { load(*state, *src); });
}

SourceVideo::~SourceVideo() = default;

void SourceVideo::waitUntilLoaded() const {
    std::unique_lock lock(state_->mutex);
    state_->loaded.wait(lock, [&] { return isReady(); });
}

double SourceVideo::frameDuration() const {
    auto rate = nominalFrameRate();
    return rate && *rate > 0 ? 1.0 / *rate : 1.0 / 30.0;
}

void SourceVideo::load(State& state, SourceProbe& source) {
    state.write(&Facts::duration, source.duration());
    auto videos = source.videoTracks();
    state.write(&Facts::trackVideos, videos);
    state.write(&Facts::trackAudios, source.audioTracks());
    if (videos && !videos->empty()) {
        SourceTrack first = videos->front();
        state.write(&Facts::minFrameDuration, source.minFrameDuration(first));
        auto transform = source.preferredTransform(first);
        state.write(&Facts::preferredTransform, transform);
        state.write(&Facts::nominalFrameRate, source.nominalFrameRate(first));
        if (auto natural = source.naturalSize(first))
            state.write(&Facts::size, std::optional(displaySize(*natural, transform)));
        state.write(&Facts::isHDR, source.isHDR(first));
        state.write(&Facts::transferName, std::optional(source.transferName(first)));
    }
    {
        std::lock_guard lock(state.mutex);
        state.isReady.store(true, std::memory_order_release);
    }
    state.loaded.notify_all();
}
