#include "cli/FaceScanSession.h"

#include <CLI/CLI.hpp>
#include <chrono>

#include "cli/ProgressReport.h"
#include "core/Notifications.h"
#include "platform/dispatch/MainQueue.h"
#include "session/EditSession.h"

std::optional<std::string> openVideo(EditSession& session, const std::string& path) {
    if (auto reason = session.openSource(path)) return reason;
    if (!session.source()->duration()) return path + ": no video track";
    return std::nullopt;
}

std::optional<std::string> scanFaces(EditSession& session, FaceScanReach reach) {
    FaceEditor& faces = session.faceEditor();
    ProgressReport progress("Scanning faces");
    auto token = NotificationCenter::defaultCenter().addObserver(
        Notifications::progressing, [&](auto) { progress.update(faces.scanProgress()); });
    std::optional<std::string> failure;
    session.startFaceScan(reach, [&](const std::string& reason) { failure = reason; });
    MainQueue::shared().runUntil([&] { return faces.scanState() == FaceScanState::end; },
                                 std::chrono::hours(24 * 365));
    if (!failure) progress.update(1);
    progress.finish();
    return failure;
}

void addReachFlags(CLI::App& app, FaceScanReach& reach) {
    CLI::Option* small = app.add_flag_callback(
        "--small-faces", [&reach] { reach = FaceScanReach::smallFaces; },
        "also look for faces under 24 pixels in a 1080p frame, in smaller tiles (slower)");
    app.add_flag_callback(
           "--fast", [&reach] { reach = FaceScanReach::fast; },
           "scan with the quicker face model alone, about twice as fast; it misses many dim, "
           "half-turned and sunglassed faces")
        ->excludes(small);
}
