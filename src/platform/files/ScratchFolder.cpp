#include "platform/files/ScratchFolder.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string_view>

namespace fs = std::filesystem;

namespace {

// The process's start time in clock ticks since boot: with the id, it names one process even
// after its id is reused.
std::string startTime(int pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line)) return {};
    // The command name in parentheses may itself hold spaces and parentheses.
    auto close = line.rfind(')');
    if (close == std::string::npos) return {};
    std::istringstream fields(line.substr(close + 1));
    std::string field;
    for (int i = 0; i < 20 && fields >> field; ++i) {
        if (i == 19) return field;  // the 22nd field of the line
    }
    return {};
}

// The process id in a name of the form "process-PID-STARTTIME", or nothing for another name.
std::optional<int> processOf(const std::string& name) {
    const std::string prefix = "process-";
    if (!name.starts_with(prefix)) return std::nullopt;
    const size_t dash = name.find('-', prefix.size());
    auto digits = [](std::string_view text, size_t most) {
        return !text.empty() && text.size() <= most &&
               std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
    };
    if (dash == std::string::npos ||
        !digits(std::string_view(name).substr(prefix.size(), dash - prefix.size()), 9) ||
        !digits(std::string_view(name).substr(dash + 1), 20))
        return std::nullopt;
    return std::stoi(name.substr(prefix.size(), dash - prefix.size()));
}

// Removes this process's folder when the process ends, if nothing was left in it.
struct OwnFolder {
    std::string path;
    ~OwnFolder() {
        std::error_code ignored;
        if (!path.empty()) fs::remove(path, ignored);
    }
};

}  // namespace

std::string scratchFolderName(int pid) {
    std::string started = startTime(pid);
    if (started.empty()) return {};
    return "process-" + std::to_string(pid) + "-" + started;
}

bool namesEndedProcess(const std::string& name) {
    auto pid = processOf(name);
    return pid && scratchFolderName(*pid) != name;
}

void removeScratchFoldersOfEndedProcesses(const std::string& parent) {
    std::error_code ec;
    for (auto it = fs::directory_iterator(parent, ec); !ec && it != fs::directory_iterator();
         it.increment(ec)) {
        if (!namesEndedProcess(it->path().filename().string())) continue;
        std::error_code ignored;
        fs::remove_all(it->path(), ignored);
    }
}

std::string processScratchFolder() {
    static OwnFolder own;
    static const std::string folder = [] {
        std::error_code ec;
        fs::path parent = fs::temp_directory_path(ec);
        if (ec) parent = "/tmp";
        parent /= "Veilcut";
        fs::create_directories(parent, ec);
        removeScratchFoldersOfEndedProcesses(parent.string());
        fs::path mine = parent / scratchFolderName(int(::getpid()));
        // A folder that cannot be made shows up as the writer's failure to create its file.
        if (fs::create_directories(mine, ec)) own.path = mine.string();
        return mine.string();
    }();
    return folder;
}
