// veilcut info FILE [--json]: the source facts, as the editor loads them.

#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>

#include "cli/Command.h"
#include "cli/Options.h"
#include "core/SourceVideo.h"

namespace {

nlohmann::ordered_json timeJson(const std::optional<MediaTime>& t) {
    if (!t) return nullptr;
    return {{"seconds", t->seconds()}, {"value", t->value}, {"timescale", t->timescale}};
}

template <typename T>
nlohmann::ordered_json orNull(const std::optional<T>& v) {
    return v ? nlohmann::ordered_json(*v) : nlohmann::ordered_json(nullptr);
}

nlohmann::ordered_json factsJson(const SourceVideo& video) {
    auto size = video.size();
    auto transform = video.preferredTransform();
    auto videos = video.trackVideos();
    auto audios = video.trackAudios();
    return {
        {"path", video.path()},
        {"duration", timeJson(video.duration())},
        {"width", size ? nlohmann::ordered_json(std::lround(size->width)) : nullptr},
        {"height", size ? nlohmann::ordered_json(std::lround(size->height)) : nullptr},
        {"rotation", transform ? nlohmann::ordered_json(rotationDegrees(*transform)) : nullptr},
        {"frameRate", orNull(video.nominalFrameRate())},
        {"minFrameDuration", timeJson(video.minFrameDuration())},
        {"hdr", video.isHDR()},
        {"transfer", orNull(video.transferName())},
        {"videoTracks", videos ? nlohmann::ordered_json(videos->size()) : nullptr},
        {"audioTracks", audios ? nlohmann::ordered_json(audios->size()) : nullptr},
    };
}

std::string text(const nlohmann::ordered_json& v, const char* unit = "") {
    if (v.is_null()) return "unknown";
    if (v.is_object())
        return std::to_string(v["seconds"].get<double>()) + " s (" + v["value"].dump() + "/" +
               v["timescale"].dump() + ")";
    return v.dump() + unit;
}

void printText(const nlohmann::ordered_json& f) {
    std::printf("file:               %s\n", f["path"].get<std::string>().c_str());
    std::printf("duration:           %s\n", text(f["duration"]).c_str());
    std::printf(
        "display size:       %s\n",
        f["width"].is_null() ? "unknown" : (text(f["width"]) + " x " + text(f["height"])).c_str());
    std::printf("rotation:           %s\n", text(f["rotation"], " degrees").c_str());
    std::printf("frame rate:         %s\n", text(f["frameRate"], " fps").c_str());
    std::printf("min frame duration: %s\n", text(f["minFrameDuration"]).c_str());
    std::printf("HDR:                %s (transfer %s)\n", f["hdr"].get<bool>() ? "yes" : "no",
                f["transfer"].is_null() ? "unknown" : f["transfer"].get<std::string>().c_str());
    std::printf("video tracks:       %s\n", text(f["videoTracks"]).c_str());
    std::printf("audio tracks:       %s\n", text(f["audioTracks"]).c_str());
}

struct InfoRequest {
    std::string path;
    bool json = false;
};

int showInfo(const InfoRequest& request) {
    SourceVideo video(request.path);
    video.waitUntilLoaded();
    auto facts = factsJson(video);
    if (request.json)
        std::printf("%s\n", facts.dump(2).c_str());
    else
        printText(facts);
    return 0;
}

}  // namespace

CommandRun defineInfo(CLI::App& app) {
    auto request = std::make_shared<InfoRequest>();
    addInputFile(app, "FILE", request->path, "FILE", "the video file")->required();
    app.add_flag("--json", request->json, "print the facts as JSON");
    return [request] { return showInfo(*request); };
}
