#include "platform/files/OutputFile.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "platform/dispatch/Uuid.h"

namespace fs = std::filesystem;

namespace {

bool sameFile(const fs::path& a, const fs::path& b) {
    std::error_code ec;
    if (fs::exists(a, ec) && fs::exists(b, ec)) return fs::equivalent(a, b, ec);
    return fs::weakly_canonical(a, ec) == fs::weakly_canonical(b, ec);
}

std::string folderOf(const std::string& path) {
    fs::path folder = fs::path(path).parent_path();
    return folder.empty() ? "." : folder.string();
}

// Why an existing `path` may not be replaced, or empty. Symbolic links are followed: a link to a
// device is as much a device as the node itself.
std::string replaceProblem(const std::string& path, bool overwrite) {
    std::error_code ec;
    auto status = fs::status(path, ec);
    if (!fs::exists(status)) return {};
    if (fs::is_directory(status)) return path + ": is a folder";
    if (!fs::is_regular_file(status)) return path + ": is not a regular file";
    if (!overwrite) return path + ": exists (use --overwrite to replace it)";
    return {};
}

// rename() that fails instead of replacing; false with errno set.
bool renameWithoutReplacing(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
    // File systems without the flag: a hard link is refused just as atomically when `to` exists.
    if (::link(from.c_str(), to.c_str()) != 0) return false;
    ::unlink(from.c_str());
    return true;
}

}  // namespace

std::string outputFileProblem(const std::string& path, const std::vector<FileInUse>& inUse,
                              bool overwrite) {
    if (path.empty()) return "an output file is needed";
    for (const FileInUse& file : inUse)
        if (!file.path.empty() && sameFile(path, file.path)) return path + ": is " + file.role;
    if (auto problem = replaceProblem(path, overwrite); !problem.empty()) return problem;
    std::string folder = folderOf(path);
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) return folder + ": no such folder";
    if (::access(folder.c_str(), W_OK) != 0) return folder + ": cannot be written";
    return {};
}

std::string temporaryPathBeside(const std::string& path) {
    std::string name = makeUuidString();
    name.insert(0, 1, '.');
    name += fs::path(path).extension().string();
    return (fs::path(folderOf(path)) / name).string();
}

std::string moveIntoPlace(const std::string& temporary, const std::string& path, bool overwrite) {
    std::string problem;
    if (!overwrite) {
        // Checked by the rename itself: a file that appeared while the work ran is kept too.
        if (renameWithoutReplacing(temporary, path)) return {};
        if (errno == EEXIST) problem = replaceProblem(path, false);
    } else {
        problem = replaceProblem(path, true);
        if (problem.empty() && std::rename(temporary.c_str(), path.c_str()) == 0) return {};
    }
    if (problem.empty()) problem = path + ": cannot be written";
    ::unlink(temporary.c_str());
    return problem;
}

std::string writeThroughTemporary(const std::string& path, bool overwrite,
                                  const std::function<bool(const std::string& temporary)>& write) {
    std::string temporary = temporaryPathBeside(path);
    if (!write(temporary)) {
        ::unlink(temporary.c_str());
        return path + ": cannot be written";
    }
    return moveIntoPlace(temporary, path, overwrite);
}
