#pragma once
// The facts of one source video, loaded once in the background in a fixed order:
// duration, video tracks, audio tracks, then for the first video track its minimum frame
// duration, transform, nominal frame rate, display size and HDR flag, and `isReady` last.
// A step that fails leaves its fact empty and the sequence goes on.
//
// Threads: constructed on the main thread; the load runs on the background queue. Any thread
// may read. Each fact is written once, before `isReady`; once `isReady()` is true the facts never
// change and reading them takes no lock (the render threads read them every frame).

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/image/Geometry.h"
#include "platform/time/MediaTime.h"

class MediaFile;

// A source track: its stream index in the file.
struct SourceTrack {
    int index = -1;
    friend bool operator==(const SourceTrack&, const SourceTrack&) = default;
};

// What the load sequence reads, one call per step; the real one reads the file with FFmpeg.
class SourceProbe {
public:
    virtual ~SourceProbe() = default;
    virtual std::optional<MediaTime> duration() = 0;
    virtual std::optional<std::vector<SourceTrack>> videoTracks() = 0;
    virtual std::optional<std::vector<SourceTrack>> audioTracks() = 0;
    virtual std::optional<MediaTime> minFrameDuration(SourceTrack track) = 0;
    virtual std::optional<AffineTransform> preferredTransform(SourceTrack track) = 0;
    virtual std::optional<float> nominalFrameRate(SourceTrack track) = 0;
    virtual std::optional<Size> naturalSize(SourceTrack track) = 0;
    virtual bool isHDR(SourceTrack track) = 0;
    virtual std::string transferName(SourceTrack track) = 0;
};

std::unique_ptr<SourceProbe> makeFileSourceProbe(const std::string& path);

// The upright display size of a picture of `natural` size shown through `transform`:
// both sides non-negative, so mirroring and quarter turns give absolute sides.
Size displaySize(Size natural, const std::optional<AffineTransform>& transform);
// Counter-clockwise rotation of a transform in whole degrees, 0 to 359.
int rotationDegrees(const AffineTransform& transform);

class SourceVideo {
public:
    // Starts loading at once on the background queue.
    explicit SourceVideo(std::string path);
    SourceVideo(std::string path, std::unique_ptr<SourceProbe> source);
    ~SourceVideo();
    SourceVideo(const SourceVideo&) = delete;
    SourceVideo& operator=(const SourceVideo&) = delete;

    const std::string& path() const { return path_; }
    bool isReady() const { return state_->isReady.load(std::memory_order_acquire); }
    // Main thread (tests, the command line): blocks until the load sequence has ended.
    void waitUntilLoaded() const;

    std::optional<MediaTime> duration() const { return read(&Facts::duration); }
    std::optional<MediaTime> minFrameDuration() const { return read(&Facts::minFrameDuration); }
    std::optional<std::vector<SourceTrack>> trackVideos() const {
        return read(&Facts::trackVideos);
    }
    std::optional<std::vector<SourceTrack>> trackAudios() const {
        return read(&Facts::trackAudios);
    }
    std::optional<AffineTransform> preferredTransform() const {
        return read(&Facts::preferredTransform);
    }
    std::optional<float> nominalFrameRate() const { return read(&Facts::nominalFrameRate); }
    std::optional<Size> size() const { return read(&Facts::size); }
    bool isHDR() const { return read(&Facts::isHDR); }
    // Name of the first video track's transfer function ("HLG", "PQ", "BT.709", ...), if any.
    std::optional<std::string> transferName() const { return read(&Facts::transferName); }
    // Duration of one frame wherever regions are looked up: 1 / nominal rate, or 1/30 s.
    double frameDuration() const;

private:
    struct Facts {
        std::optional<MediaTime> duration;
        std::optional<std::vector<SourceTrack>> trackVideos;
        std::optional<std::vector<SourceTrack>> trackAudios;
        std::optional<MediaTime> minFrameDuration;
        std::optional<AffineTransform> preferredTransform;
        std::optional<float> nominalFrameRate;
        std::optional<Size> size;
        bool isHDR = false;
        std::optional<std::string> transferName;
    };

    // Shared with the load task, so an SourceVideo replaced mid-load frees nothing the task uses.
    struct State {
        std::mutex mutex;
        std::condition_variable loaded;
        Facts facts;
        std::atomic<bool> isReady{false};

        template <typename T>
        void write(T Facts::*field, T value) {
            std::lock_guard lock(mutex);
            facts.*field = std::move(value);
        }
    };

    template <typename T>
    T read(T Facts::*field) const {
        if (isReady()) return state_->facts.*field;
        std::lock_guard lock(state_->mutex);
        return state_->facts.*field;
    }
    static void load(State& state, SourceProbe& source);

    const std::string path_;
    std::shared_ptr<State> state_;
};
