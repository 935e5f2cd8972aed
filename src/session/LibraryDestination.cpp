#include "session/LibraryDestination.h"

#include <filesystem>

std::string libraryDestination(const std::string& sourcePath) {
    namespace fs = std::filesystem;
    const fs::path source(sourcePath);
    const std::string stem = source.stem().string();
    for (int n = 1;; ++n) {
        const std::string suffix =
            n == 1 ? " (Veilcut).mp4" : " (Veilcut " + std::to_string(n) + ").mp4";
        fs::path candidate = source.parent_path() / (stem + suffix);
        std::error_code error;
        // A dangling link counts as taken too: the export would refuse to write through it.
        if (!fs::exists(fs::symlink_status(candidate, error))) return candidate.string();
    }
}
