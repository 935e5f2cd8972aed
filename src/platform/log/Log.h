#pragma once
// The one way the system prints its fixed log lines: one line to stderr, at debug level. A
// normal run's terminal shows progress, warnings and errors only; the debug lines appear with
// `--verbose` or with VEILCUT_LOG=debug in the environment. Any thread.

#include <string_view>

// Prints `line` when debug lines are shown.
void logDebug(std::string_view line);
// Prints "veilcut: warning: " and `line` whatever the level: something the user should know
// about a run that goes on (damaged audio replaced with silence).
void logWarning(std::string_view line);
// Shows debug lines from now on whatever the environment says (`--verbose`), or, with false,
// goes back to what the environment says.
void showDebugLog(bool shown = true);
// Whether debug lines are shown.
bool isDebugLogShown();
