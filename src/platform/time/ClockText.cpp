#include "platform/time/ClockText.h"

#include <cmath>
#include <cstdio>

std::string minutesAndSeconds(double seconds) {
    // Beyond what any video lasts, and within what a long long holds.
    const double clamped = std::isnan(seconds) ? 0.0 : std::fmin(std::fmax(seconds, 0.0), 1e15);
    const long long whole = (long long)(clamped);
    char text[32];
    std::snprintf(text, sizeof text, "%02lld:%02lld", whole / 60, whole % 60);
    return text;
}
