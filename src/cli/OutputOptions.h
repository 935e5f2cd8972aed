#pragma once
// The options and checks every command that writes files shares, under the rules of OutputFile:
// destinations checked before any work starts, one --overwrite for all of a command's outputs,
// pictures written through a temporary file.

#include <optional>
#include <string>
#include <vector>

#include "platform/files/OutputFile.h"

struct Image;
namespace CLI {
class App;
class Option;
}  // namespace CLI

// --overwrite: an existing output (a regular file) may be replaced.
CLI::Option* addOverwrite(CLI::App& app, bool& overwrite);
// An option naming a picture to write (.png, .jpg or .jpeg, checked while parsing).
CLI::Option* addPictureOutput(CLI::App& app, const std::string& names, std::string& path,
                              const std::string& valueName, const std::string& description);

// Why the optional output `path` (empty: not asked for) cannot be written, or nothing.
std::optional<std::string> outputProblem(const std::string& path,
                                         const std::vector<FileInUse>& inUse, bool overwrite);
// Writes `image` to `path` through a temporary file; the one-line reason on failure.
std::optional<std::string> writePicture(const Image& image, const std::string& path,
                                        bool overwrite);
