#include "cli/FaceScanSession.h"

#include <filesystem>

#include "cli/Command.h"
#include "cli/InputFile.h"
#include "cli/ProgressReport.h"
#include "session/EditSession.h"
#include "core/Manager.h"
#include "core/Notifications.h"
#include "faces/FaceEditor.h"
#include "platform/dispatch/MainQueue.h"
#include "session/ProjectBinding.h"
#include "project/ProjectWriter.h"

std::optional<std::shared_ptr<SourceVideo>> scanVideo(const std::string& path, bool smallFaces,
                                                       std::string& error, int& status) {
    status = EXIT_USAGE;
    if (auto reason = unreadableFileReason(path)) {
        error = *reason;
        return std::nullopt;
    }
    auto asset = std::make_shared<SourceVideo>(path);
    asset->waitUntilLoaded();
    auto videos = asset->trackVideos();
    if (!videos || videos->empty() || !asset->size() || !asset->duration()) {
        error = path + ": no video track";
        return std::nullopt;
    }
    EditSession& edit = EditSession::shared();
    edit.reset();
    Manager::shared().setAsset(asset);
    FaceEditor& faces = edit.faceEditor();
    faces.faceScan.setDetectors(smallFaces ? makeBlazeDetectorsForSmallFaces
                                               : makeBlazeDetectors);
    ProgressReport progress("Scanning faces");
    auto token = NotificationCenter::defaultCenter().addObserver(
        Notifications::progressing, [&](auto) { progress.update(faces.scanProgress.load()); });
    std::optional<std::string> failure;
    faces.startFaceScan([&](const std::string& reason) { failure = reason; });
    MainQueue::shared().runUntil([&] { return faces.scanState.load() == FaceScanState::end; },
                                 std::chrono::hours(24 * 365));
    if (failure) {
        progress.finish();
        status = EXIT_WORK_FAILED;
        error = *failure;
        return std::nullopt;
    }
    progress.update(1);
    progress.finish();
    return asset;
}

bool saveProjectOfCurrentEdits(const std::string& projectPath, const std::string& videoPath,
                               std::string& error) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path folder = fs::absolute(fs::path(projectPath), ec).parent_path();
    fs::path source = fs::absolute(fs::path(videoPath), ec).lexically_relative(folder);
    if (source.empty()) source = fs::absolute(fs::path(videoPath), ec);
    return writeProjectFile(projectFromEdits(EditSession::shared(), source.string()), projectPath,
                            &error);
}
