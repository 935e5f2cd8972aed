#pragma once
// Opens a video for a headless face command and runs the editor's face scan on it, with a
// progress bar on stderr. Main thread; pumps the main queue until the scan has ended.

#include <memory>
#include <optional>
#include <string>

#include "core/SourceVideo.h"

// The video made current (edit state reset) with every person's face region in the face
// editor, or nothing with `error` holding the one-line reason and `status` the exit status.
// `smallFaces` also looks for faces in tiles of each frame (slower).
std::optional<std::shared_ptr<SourceVideo>> scanVideo(const std::string& path, bool smallFaces,
                                                       std::string& error, int& status);

// `projectPath`'s document of the current edits, naming the video relative to its folder.
bool saveProjectOfCurrentEdits(const std::string& projectPath, const std::string& videoPath,
                               std::string& error);
