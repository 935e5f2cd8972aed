#pragma once
// Checks a path given on the command line before anything opens it.

#include <optional>
#include <string>

// Empty when `path` is a readable regular file; otherwise the reason, for one error line.
std::optional<std::string> unreadableFileReason(const std::string& path);
