#pragma once
// The one way the system prints its fixed log lines: one line to stderr. Any thread.

#include <string_view>

void logLine(std::string_view line);
