#include "cli/FaceScanSession.h"

#include <chrono>

#include "cli/Command.h"
#include "cli/ProgressReport.h"
#include "core/Notifications.h"
#include "platform/dispatch/MainQueue.h"
#include "session/EditSession.h"

bool scanVideo(EditSession& session, const std::string& path, bool smallFaces, std::string& error,
               int& status) {
    status = EXIT_USAGE;
    if (auto reason = session.openSource(path)) {
        error = *reason;
        return false;
    }
    if (!session.source()->duration()) {
        error = path + ": no video track";
        return false;
    }
    FaceEditor& faces = session.faceEditor();
    ProgressReport progress("Scanning faces");
    auto token = NotificationCenter::defaultCenter().addObserver(
        Notifications::progressing, [&](auto) { progress.update(faces.scanProgress()); });
    std::optional<std::string> failure;
    session.startFaceScan(smallFaces, [&](const std::string& reason) { failure = reason; });
    MainQueue::shared().runUntil([&] { return faces.scanState() == FaceScanState::end; },
                                 std::chrono::hours(24 * 365));
    if (failure) {
        progress.finish();
        status = EXIT_WORK_FAILED;
        error = *failure;
        return false;
    }
    progress.update(1);
    progress.finish();
    return true;
}
