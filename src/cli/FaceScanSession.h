#pragma once
// Opens a video for a headless face command and runs the session's face scan on it, with a
// progress bar on stderr. Main thread; the scan pumps the main queue until it has ended.

#include <optional>
#include <string>

#include "faces/FaceScanReach.h"

class EditSession;
namespace CLI {
class App;
}

// Opens the video at `path` in `session`; the one-line reason when it cannot be scanned (an
// input problem, found before any work).
std::optional<std::string> openVideo(EditSession& session, const std::string& path);

// Puts every person's face region of the open video in the session's face editor; the one-line
// reason when the scan failed.
std::optional<std::string> scanFaces(EditSession& session, FaceScanReach reach);

// Adds --small-faces and --fast, the choice of reach scanFaces takes, to a command.
void addReachFlags(CLI::App& app, FaceScanReach& reach);
