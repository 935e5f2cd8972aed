#pragma once
// The editor: a window on one video (or project) at a time, with the edited preview playing.

#include <optional>
#include <string>

// Runs the editor on `file` (a video or a project; none: an empty window with a way to open
// one) until its window closes; returns the exit status.
int runEditor(int argc, char** argv, const std::optional<std::string>& file);
