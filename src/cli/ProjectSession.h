#pragma once
// Opens a project for a headless command: reads and validates the file, loads the source
// video's facts, and fills the edit state from it. Main thread.

#include <memory>
#include <optional>
#include <string>

#include "core/SourceVideo.h"

struct ProjectSession {
    std::string sourcePath;  // resolved against the project file's folder
    std::shared_ptr<SourceVideo> asset;
};

// The opened project, or nothing with `error` holding the one-line reason (every failure here
// is an input problem: exit status 2).
std::optional<ProjectSession> openProject(const std::string& projectPath, std::string& error);
