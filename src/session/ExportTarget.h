#pragma once
// The rules for where an export may write: never over the source, never over an existing file
// unless asked to, only into a folder that exists and can be written. Checked before any work
// starts, so that a bad destination costs nothing. Any thread; reads the file system only.

#include <string>

// The one-line reason the movie of `sourcePath` cannot be written to `outputPath`, or empty.
std::string exportTargetProblem(const std::string& outputPath, const std::string& sourcePath,
                                bool overwrite);
// The folder a movie written to `outputPath` lands in ("." for a bare file name).
std::string exportFolderOf(const std::string& outputPath);
