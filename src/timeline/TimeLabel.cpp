#include "timeline/TimeLabel.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// Past this the minutes would not fit an int; no video runs that long.
constexpr double LONGEST_LABELLED_SECONDS = 1e9;

}  // namespace

std::string trimTimeLabel(double seconds) {
    if (!(seconds >= 0)) return "00:00";
    const auto whole =
        static_cast<long long>(std::floor(std::min(seconds, LONGEST_LABELLED_SECONDS)));
    char text[32];
    std::snprintf(text, sizeof text, "%2lld:%02lld", whole / 60, whole % 60);
    return text;
}
