#include "platform/library/VideoFileName.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string>

bool isVideoFileName(std::string_view name) {
    static constexpr std::array<std::string_view, 14> extensions{
        "mp4",  "m4v", "mov", "mkv",  "webm", "avi", "mpg",
        "mpeg", "ts",  "mts", "m2ts", "3gp",  "wmv", "ogv"};
    if (name.empty() || name.front() == '.') return false;
    auto dot = name.rfind('.');
    if (dot == std::string_view::npos) return false;
    std::string extension(name.substr(dot + 1));
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return std::find(extensions.begin(), extensions.end(), extension) != extensions.end();
}
