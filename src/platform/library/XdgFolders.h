#pragma once
// The user's folders as the XDG base-directory and user-dirs conventions place them, read
// without Qt so the library works (and is tested) in the command line's build. Any thread.

#include <functional>
#include <optional>
#include <string>

// Reads one environment variable; the tests give their own.
using EnvironmentLookup = std::function<std::optional<std::string>(const std::string& name)>;
EnvironmentLookup processEnvironment();

// The user's videos folder: $XDG_VIDEOS_DIR, else the XDG_VIDEOS_DIR line of
// ${XDG_CONFIG_HOME:-~/.config}/user-dirs.dirs (what `xdg-user-dir VIDEOS` reads), else
// ~/Videos. Empty when not even the home folder is known.
std::string videosFolder(const EnvironmentLookup& environment);

// Where thumbnails of library videos are kept: ${XDG_CACHE_HOME:-~/.cache}/veilcut/thumbnails.
std::string thumbnailCacheFolder(const EnvironmentLookup& environment);
