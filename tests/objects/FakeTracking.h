#pragma once
// Scripted frames and a scripted tracker for the tracking passes, and a scripted source video
// (25 fps, 1920x1080) made current for the editors.

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "core/SourceVideo.h"
#include "objects/ObjectTrackingRun.h"
#include "support/ScriptedSourceProbe.h"

inline constexpr int FAKE_FPS = 25;

// Every frame of a video of `frames` frames at 25 fps, tiny pictures; records the ranges asked.
class FakeFrames final : public ObjectFrameSource {
public:
    struct Log {
        std::mutex mutex;
        std::vector<MediaTimeRange> ranges;
        std::vector<MediaTimeRange> all() {
            std::lock_guard lock(mutex);
            return ranges;
        }
    };
    FakeFrames(int frames, std::shared_ptr<Log> log) : frames_(frames), log_(std::move(log)) {}

    bool setRange(const MediaTimeRange& range) override {
        std::lock_guard lock(log_->mutex);
        log_->ranges.push_back(range);
        next_ = 0;
        while (next_ < frames_ && at(next_) < range.start) ++next_;
        end_ = range.end();
        return true;
    }
    ReadStatus read(VideoFrame& frame) override {
        if (cancelled_) return ReadStatus::cancelled;
        if (next_ >= frames_ || !(at(next_) < end_)) return ReadStatus::end;
        // The picture's extent starts at the frame's index, so a scripted tracker can tell the
        // frames apart; the passes only use the extent through their crop.
        frame.image = Image(cv::Mat(8, 8, CV_8UC4, cv::Scalar(10, 20, 30, 255)),
                            Rect{double(next_), 0, 8, 8});
        frame.time = at(next_++);
        return ReadStatus::frame;
    }
    void cancel() override { cancelled_ = true; }

    static MediaTime at(int index) { return MediaTime(index * 600 / FAKE_FPS, 600); }

private:
    int frames_;
    std::shared_ptr<Log> log_;
    int next_ = 0;
    MediaTime end_;
    std::atomic<bool> cancelled_{false};
};

// Answers each step from a script of the frame's index and the seed it was given.
using TrackScript = std::function<std::optional<TrackedObject>(int frame, const Rect& seed)>;

class FakeTracker final : public ObjectTracker {
public:
    explicit FakeTracker(TrackScript script) : script_(std::move(script)) {}
    std::optional<TrackedObject> track(const Image& frame, const Rect& seed) override {
        return script_(int(frame.extent.x), seed);
    }

private:
    TrackScript script_;
};

inline ObjectTrackingServices fakeServices(int frames, TrackScript script,
                                           std::shared_ptr<FakeFrames::Log> log = nullptr) {
    if (!log) log = std::make_shared<FakeFrames::Log>();
    ObjectTrackingServices services;
    services.openFrames = [frames, log](const std::string&, int) {
        return std::make_unique<FakeFrames>(frames, log);
    };
    services.makeTracker = [script] { return std::make_unique<FakeTracker>(script); };
    return services;
}

// A tracker that always finds the seed again, fully confident.
inline std::optional<TrackedObject> followSeed(int, const Rect& seed) {
    return TrackedObject{seed, 1.0f};
}

// The script, taking a millisecond per step so that a cancel can come while a pass runs.
inline TrackScript slowly(TrackScript script) {
    return [script](int frame, const Rect& seed) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return script(frame, seed);
    };
}

// A scripted 25 fps source of the given duration.
inline std::shared_ptr<SourceVideo> makeScriptedVideo(int64_t durationIn600ths) {
    static std::vector<std::string> steps;
    return loadedScriptedVideo(steps, MediaTime(durationIn600ths, 600), {"isHDR"});
}
