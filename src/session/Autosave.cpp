#include "session/Autosave.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "platform/files/ScratchFolder.h"
#include "session/EditSession.h"
#include "session/UnsavedWork.h"

namespace fs = std::filesystem;

namespace {

constexpr std::string_view SUFFIX = ".veilcut.json";

}  // namespace

Autosave::Autosave(std::string folder)
    : folder_(std::move(folder)),
      path_((fs::path(folder_) / (scratchFolderName(int(::getpid())) + std::string(SUFFIX)))
                .string()) {}

std::optional<std::string> Autosave::update(const EditSession& session,
                                            const UnsavedWork& unsaved) {
    if (!unsaved.isPending(session)) {
        discard();
        return std::nullopt;
    }
    std::error_code ec;
    fs::create_directories(folder_, ec);
    return session.saveProject(path_, true);
}

void Autosave::discard() {
    std::error_code ignored;
    fs::remove(path_, ignored);
}

std::vector<std::string> Autosave::leftBehind() const {
    std::vector<std::pair<fs::file_time_type, std::string>> found;
    std::error_code ec;
    for (auto it = fs::directory_iterator(folder_, ec); !ec && it != fs::directory_iterator();
         it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (!name.ends_with(SUFFIX) || !it->is_regular_file(ec)) continue;
        if (!namesEndedProcess(name.substr(0, name.size() - SUFFIX.size()))) continue;
        found.emplace_back(it->last_write_time(ec), it->path().string());
    }
    std::sort(found.begin(), found.end(), std::greater<>());
    std::vector<std::string> paths;
    for (auto& [time, path] : found) paths.push_back(std::move(path));
    return paths;
}

std::string defaultAutosaveFolder() {
    const char* state = std::getenv("XDG_STATE_HOME");
    const char* home = std::getenv("HOME");
    fs::path base = state && *state ? fs::path(state)
                                    : fs::path(home && *home ? home : "/tmp") / ".local/state";
    return (base / "veilcut" / "autosave").string();
}
