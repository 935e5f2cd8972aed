#pragma once
// A source of video facts for tests: fixed facts (a 1 s clip unless told otherwise, 1920x1080 with
// a mirroring transform, 25 fps, HDR), a log of the steps in the order they were asked, and steps
// that fail.

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "core/SourceVideo.h"

// Records the order of the steps; `failing` names steps that fail.
class ScriptedSourceProbe final : public SourceProbe {
public:
    ScriptedSourceProbe(std::vector<std::string>& log, std::vector<SourceTrack> videos,
                        std::set<std::string> failing = {},
                        MediaTime duration = MediaTime(600, 600))
        : log_(log),
          videos_(std::move(videos)),
          failing_(std::move(failing)),
          duration_(duration) {}

    std::optional<MediaTime> duration() override { return step("duration", duration_); }
    std::optional<std::vector<SourceTrack>> videoTracks() override {
        return step("videoTracks", videos_);
    }
    std::optional<std::vector<SourceTrack>> audioTracks() override {
        return step("audioTracks", std::vector<SourceTrack>{{7}});
    }
    std::optional<MediaTime> minFrameDuration(SourceTrack) override {
        return step("minFrameDuration", MediaTime(1, 30));
    }
    std::optional<AffineTransform> preferredTransform(SourceTrack) override {
        return step("preferredTransform", AffineTransform{-1, 0, 0, 1, 1920, 0});  // mirrored
    }
    std::optional<float> nominalFrameRate(SourceTrack) override {
        return step("nominalFrameRate", 25.0f);
    }
    std::optional<Size> naturalSize(SourceTrack) override {
        return step("naturalSize", Size{1920, 1080});
    }
    bool isHDR(SourceTrack) override { return step("isHDR", true).value_or(false); }
    std::string transferName(SourceTrack) override { return "HLG"; }

private:
    template <typename T>
    std::optional<T> step(const std::string& name, T value) {
        log_.push_back(name);
        if (failing_.count(name)) return std::nullopt;
        return value;
    }
    std::vector<std::string>& log_;
    std::vector<SourceTrack> videos_;
    std::set<std::string> failing_;
    MediaTime duration_;
};

// A one-track scripted video of `duration` with its facts loaded; its steps go to `log`.
inline std::shared_ptr<SourceVideo> loadedScriptedVideo(std::vector<std::string>& log,
                                                        MediaTime duration,
                                                        std::set<std::string> failing = {}) {
    auto video = std::make_shared<SourceVideo>(
        "clip.mp4", std::make_unique<ScriptedSourceProbe>(log, std::vector<SourceTrack>{{0}},
                                                          std::move(failing), duration));
    video->waitUntilLoaded();
    return video;
}
