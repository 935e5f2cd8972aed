#include "session/InputFile.h"

#include <unistd.h>

#include <filesystem>

std::optional<std::string> unreadableFileReason(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code ec;
    auto status = fs::status(path, ec);
    if (ec || !fs::exists(status)) return path + ": no such file";
    // Pipes and devices could block the reader forever.
    if (!fs::is_regular_file(status)) return path + ": not a regular file";
    if (::access(path.c_str(), R_OK) != 0) return path + ": permission denied";
    return std::nullopt;
}
