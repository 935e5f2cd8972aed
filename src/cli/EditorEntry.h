#pragma once
// The editor's way in, for a program built with it: the command line starts it for `veilcut
// open [FILE]` and for `veilcut` alone, when there is a display to show it on.

#include <functional>
#include <optional>
#include <string>

// Opens the editor window on a video or a project (or on none) and runs until it closes;
// returns the exit status.
using EditorEntry = std::function<int(const std::optional<std::string>& file)>;

// Whether a window could be shown: a display named in the environment, or a Qt platform chosen
// (as tests do with the offscreen one).
bool hasDisplay();
