#include "platform/library/XdgFolders.h"

#include <cstdlib>
#include <fstream>

namespace {

std::optional<std::string> nonEmpty(const EnvironmentLookup& environment, const std::string& name) {
    auto value = environment(name);
    if (value && value->empty()) return std::nullopt;
    return value;
}

// A user-dirs.dirs value: "$HOME/Videos" or an absolute path, in double quotes.
std::optional<std::string> userDirsValue(const std::string& line, const std::string& key,
                                         const std::string& home) {
    const std::string prefix = key + "=\"";
    if (line.rfind(prefix, 0) != 0 || line.size() < prefix.size() + 1 || line.back() != '"')
        return std::nullopt;
    std::string value = line.substr(prefix.size(), line.size() - prefix.size() - 1);
    if (value.rfind("$HOME", 0) == 0) return home + value.substr(5);
    if (!value.empty() && value.front() == '/') return value;
    return std::nullopt;  // relative values are invalid by the convention
}

}  // namespace

EnvironmentLookup processEnvironment() {
    return [](const std::string& name) -> std::optional<std::string> {
        const char* value = std::getenv(name.c_str());
        if (!value) return std::nullopt;
        return std::string(value);
    };
}

std::string videosFolder(const EnvironmentLookup& environment) {
    if (auto folder = nonEmpty(environment, "XDG_VIDEOS_DIR")) return *folder;
    auto home = nonEmpty(environment, "HOME");
    if (!home) return {};
    std::string config = nonEmpty(environment, "XDG_CONFIG_HOME").value_or(*home + "/.config");
    std::ifstream dirs(config + "/user-dirs.dirs");
    for (std::string line; std::getline(dirs, line);)
        if (auto folder = userDirsValue(line, "XDG_VIDEOS_DIR", *home)) return *folder;
    return *home + "/Videos";
}

std::string thumbnailCacheFolder(const EnvironmentLookup& environment) {
    auto cache = nonEmpty(environment, "XDG_CACHE_HOME");
    if (!cache) {
        auto home = nonEmpty(environment, "HOME");
        if (!home) return {};
        cache = *home + "/.cache";
    }
    return *cache + "/veilcut/thumbnails";
}
