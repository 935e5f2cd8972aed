#include "session/ExportTarget.h"

#include <unistd.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

bool sameFile(const fs::path& a, const fs::path& b) {
    std::error_code ec;
    if (fs::exists(a, ec) && fs::exists(b, ec)) return fs::equivalent(a, b, ec);
    return fs::weakly_canonical(a, ec) == fs::weakly_canonical(b, ec);
}

}  // namespace

std::string exportFolderOf(const std::string& outputPath) {
    fs::path folder = fs::path(outputPath).parent_path();
    return folder.empty() ? "." : folder.string();
}

std::string exportTargetProblem(const std::string& outputPath, const std::string& sourcePath,
                                bool overwrite) {
    fs::path out(outputPath);
    std::error_code ec;
    if (outputPath.empty()) return "an output file is needed (-o OUT.mp4)";
    if (sameFile(out, sourcePath)) return outputPath + ": is the source video";
    if (fs::exists(out, ec)) {
        if (fs::is_directory(out, ec)) return outputPath + ": is a folder";
        if (!overwrite) return outputPath + ": exists (use --overwrite to replace it)";
    }
    std::string folder = exportFolderOf(outputPath);
    if (!fs::is_directory(folder, ec)) return folder + ": no such folder";
    if (::access(folder.c_str(), W_OK) != 0) return folder + ": cannot be written";
    return {};
}
