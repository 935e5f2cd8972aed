#include "cli/ProjectSession.h"

#include <filesystem>

#include "cli/InputFile.h"
#include "session/EditSession.h"
#include "core/Manager.h"
#include "session/ProjectBinding.h"
#include "project/ProjectReader.h"

std::optional<ProjectSession> openProject(const std::string& projectPath, std::string& error) {
    if (auto reason = unreadableFileReason(projectPath)) {
        error = *reason;
        return std::nullopt;
    }
    auto read = readProjectFile(projectPath);
    if (!read.document) {
        error = read.error;
        return std::nullopt;
    }
    namespace fs = std::filesystem;
    fs::path source(read.document->source);
    if (source.is_relative()) source = fs::path(projectPath).parent_path() / source;
    ProjectSession session{source.lexically_normal().string(), nullptr};
    if (auto reason = unreadableFileReason(session.sourcePath)) {
        error = projectPath + ": source " + *reason;
        return std::nullopt;
    }
    session.asset = std::make_shared<SourceVideo>(session.sourcePath);
    session.asset->waitUntilLoaded();
    auto videos = session.asset->trackVideos();
    if (!videos || videos->empty() || !session.asset->size()) {
        error = session.sourcePath + ": no video track";
        return std::nullopt;
    }
    EditSession& edit = EditSession::shared();
    edit.reset();
    Manager::shared().setAsset(session.asset);
    if (auto problem = applyProject(*read.document, *session.asset, edit)) {
        error = projectPath + ": " + *problem;
        return std::nullopt;
    }
    return session;
}
