#pragma once
// The rules for every file the program writes (movie, project, picture): never one of the files
// the work reads, never over an existing file unless asked to, never anything but a regular file
// (a device, a pipe or a folder is refused even when asked to overwrite), and written under a
// temporary name beside the destination that is renamed into place only when complete, so a
// destination never holds half a file. Any thread; touches the file system only.

#include <functional>
#include <string>
#include <vector>

// A file the work reads (or writes elsewhere), which no output may land on.
struct FileInUse {
    std::string path;
    std::string role;  // "the source video": named in the refusal
};

// The one-line reason `path` may not be written by work that uses `inUse`, or empty. Checked
// before any work starts, so that a bad destination costs nothing.
std::string outputFileProblem(const std::string& path, const std::vector<FileInUse>& inUse,
                              bool overwrite);

// A fresh hidden name in the folder of `path`, ending in the same extension (writers that pick
// the format by extension then write the right one).
std::string temporaryPathBeside(const std::string& path);

// Renames the complete file `temporary` to `path`. Without `overwrite` an existing `path` is
// never replaced, even one that appeared while the work ran; with it, only a regular file is.
// On failure the temporary is removed and the one-line reason (naming `path`) returned.
std::string moveIntoPlace(const std::string& temporary, const std::string& path, bool overwrite);

// Writes `path` through a temporary file: `write` gets the temporary's name and says whether it
// wrote the whole file. Returns the one-line reason for a failure, or empty. The rules of
// `outputFileProblem` are the caller's to check first.
std::string writeThroughTemporary(const std::string& path, bool overwrite,
                                  const std::function<bool(const std::string& temporary)>& write);
