// veilcut track IN --box X,Y,W,H --at SECONDS [-o PROJECT] [--overwrite] [--json]: follows the box
// drawn on the frame at SECONDS forwards to the end and backwards to the start of the video, prints
// the tracked span and can write a project with the object region ready for rendering.

#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>

#include "cli/Command.h"
#include "cli/Options.h"
#include "cli/OutputOptions.h"
#include "cli/ProgressReport.h"
#include "core/Notifications.h"
#include "objects/ObjectEditor.h"
#include "platform/dispatch/MainQueue.h"
#include "session/EditSession.h"

namespace {

// "X,Y,W,H", normalised with the origin at the top-left, inside the picture, with a size.
std::optional<std::string> parseBox(const std::string& text, Rect& box) {
    const std::string problem =
        "--box: expected X,Y,W,H as fractions of the picture (top-left origin), inside it and "
        "with a positive width and height";
    double v[4];
    size_t from = 0;
    for (int i = 0; i < 4; ++i) {
        size_t comma = i < 3 ? text.find(',', from) : text.size();
        if (comma == std::string::npos) return problem;
        auto number = finiteNumber(text.substr(from, comma - from));
        if (!number) return problem;
        v[i] = *number;
        from = comma + 1;
    }
    Rect r{v[0], v[1], v[2], v[3]};
    constexpr double SLACK = 1e-9;  // so that "0.7,0.2,0.3,0.5" counts as inside
    if (r.x < 0 || r.y < 0 || !(r.width > 0) || !(r.height > 0) || r.maxX() > 1 + SLACK ||
        r.maxY() > 1 + SLACK)
        return problem;
    box = r;
    return std::nullopt;
}

void printRegion(const TrackedRegion& region, bool json) {
    if (!json) {
        std::printf("object: %.3f s to %.3f s, %zu samples\n", region.startTime.seconds(),
                    region.endTime.seconds(), region.samples.size());
        return;
    }
    // Boxes as the command takes them: top-left origin.
    nlohmann::ordered_json samples = nlohmann::ordered_json::array();
    for (const RegionSample& s : region.samples) {
        const Rect& r = s.nominalRect;
        samples.push_back({{"t", s.timeStamp.seconds()},
                           {"box", {r.x, 1 - (r.y + r.height), r.width, r.height}}});
    }
    nlohmann::ordered_json object{{"start", region.startTime.seconds()},
                                  {"end", region.endTime.seconds()},
                                  {"samples", samples}};
    std::printf("%s\n", nlohmann::ordered_json{{"object", object}}.dump(2).c_str());
}

// Runs one tracking run on the current video with a progress bar on stderr.
void trackWithProgress(ObjectEditor& objects, const Rect& box, const MediaTime& at) {
    ProgressReport progress("Tracking");
    bool ended = false;
    auto& center = NotificationCenter::defaultCenter();
    auto onProgress = center.addObserver(
        Notifications::tracking, [&](auto fraction) { progress.update(fraction.value_or(0)); });
    auto onEnd = center.addObserver(Notifications::endTrackingObject, [&](auto) { ended = true; });
    objects.trackObject(box, at);
    // A pass that cannot read the video ends without a report; the tracker then goes idle.
    MainQueue::shared().runUntil([&] { return ended || !objects.isTracking(); },
                                 std::chrono::hours(24 * 365));
    progress.finish();
}

struct TrackRequest {
    std::string input, project;
    Rect box;
    double seconds = 0;
    bool json = false, overwrite = false;
};

int track(const TrackRequest& request) {
    EditSession session;
    if (auto reason = session.openSource(request.input)) return failWith(*reason);
    auto duration = session.source()->duration();
    if (!duration || !duration->isNumeric() || !session.source()->nominalFrameRate())
        return failWith(request.input + ": no video track");
    if (request.seconds > duration->seconds())
        return failWith("--at: after the end of the video (" + std::to_string(duration->seconds()) +
                        " s)");
    if (auto problem = outputProblem(request.project, session.filesInUse(), request.overwrite))
        return failWith(*problem);
    ObjectEditor& objects = session.objectEditor();
    trackWithProgress(objects, request.box,
                      MediaTime::fromSeconds(request.seconds, duration->timescale));
    if (objects.regions().empty())
        return failWith("the object was not found: no frame matched the box", EXIT_WORK_FAILED);
    printRegion(objects.regions().back(), request.json);
    if (!request.project.empty()) {
        if (auto problem = session.saveProject(request.project, request.overwrite))
            return failWith(*problem, EXIT_WORK_FAILED);
    }
    return 0;
}

}  // namespace

CommandRun defineTrack(CLI::App& app) {
    auto request = std::make_shared<TrackRequest>();
    addInputFile(app, "IN", request->input, "IN", "the video")->required();
    addParsed<Rect>(app, "--box", request->box, "X,Y,W,H",
                    "the box to follow, as fractions of the picture (top-left origin)", parseBox)
        ->required();
    addSeconds(app, "--at", request->seconds, "the time of the frame the box is drawn on")
        ->required();
    app.add_option("-o,--output", request->project, "write a project with the tracked object")
        ->type_name("PROJECT");
    addOverwrite(app, request->overwrite);
    app.add_flag("--json", request->json, "print the tracked boxes as JSON");
    return [request] { return track(*request); };
}
