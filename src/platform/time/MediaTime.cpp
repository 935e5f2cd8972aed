#include "platform/time/MediaTime.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace {

using Wide = __int128;

MediaTime fromWide(Wide value, int64_t timescale, bool rounded) {
    // Bring an exact result into range by moving to a coarser timescale when needed.
    while (timescale > std::numeric_limits<int32_t>::max() ||
           value > std::numeric_limits<int64_t>::max() ||
           value < std::numeric_limits<int64_t>::min()) {
        Wide half = value >= 0 ? 1 : -1;
        value = (value + half) / 2;
        timescale = (timescale + 1) / 2;
        rounded = true;
    }
    MediaTime t{int64_t(value), int32_t(timescale)};
    if (rounded) t.flags |= MediaTime::hasBeenRounded;
    return t;
}

MediaTime combine(const MediaTime& a, const MediaTime& b, int sign) {
    if (!a.isNumeric() || !b.isNumeric()) return MediaTime::invalid();
    int64_t scale = std::lcm(int64_t(a.timescale), int64_t(b.timescale));
    Wide va = Wide(a.value) * (scale / a.timescale);
    Wide vb = Wide(b.value) * (scale / b.timescale);
    bool rounded = (a.flags | b.flags) & MediaTime::hasBeenRounded;
    MediaTime t = fromWide(va + sign * vb, scale, rounded);
    t.epoch = a.epoch;
    return t;
}

int rank(const MediaTime& t) {
    if (!t.isValid()) return 3;  // invalid sorts after everything, like the platform's times
    if (t.flags & MediaTime::indefinite) return 2;
    if (t.flags & MediaTime::positiveInfinity) return 1;
    if (t.flags & MediaTime::negativeInfinity) return -1;
    return 0;
}

}  // namespace

MediaTime MediaTime::fromSeconds(double seconds, int32_t timescale) {
    if (!std::isfinite(seconds) || timescale <= 0) return invalid();
    double v = std::round(seconds * timescale);
    if (std::fabs(v) >= 9.2e18) return invalid();
    return MediaTime(int64_t(v), timescale);
}

MediaTime MediaTime::atFraction(const MediaTime& duration, double fraction) {
    double f = std::isnan(fraction) ? 0.0 : std::clamp(fraction, 0.0, 1.0);
    return fromSeconds(duration.seconds() * f, duration.timescale);
}

double MediaTime::seconds() const {
    if (!isValid()) return std::nan("");
    if (flags & positiveInfinity) return std::numeric_limits<double>::infinity();
    if (flags & negativeInfinity) return -std::numeric_limits<double>::infinity();
    if (flags & indefinite) return std::nan("");
    return double(value) / double(timescale);
}

MediaTime MediaTime::convertScale(int32_t newTimescale) const {
    if (!isNumeric() || newTimescale <= 0) return invalid();
    Wide num = Wide(value) * newTimescale;
    Wide q = num / timescale, r = num % timescale;
    if (2 * (r < 0 ? -r : r) >= timescale) q += num < 0 ? -1 : 1;
    MediaTime t = fromWide(q, newTimescale, r != 0 || (flags & hasBeenRounded));
    t.epoch = epoch;
    return t;
}

MediaTime operator+(const MediaTime& a, const MediaTime& b) { return combine(a, b, +1); }
MediaTime operator-(const MediaTime& a, const MediaTime& b) { return combine(a, b, -1); }

std::strong_ordering operator<=>(const MediaTime& a, const MediaTime& b) {
    int ra = rank(a), rb = rank(b);
    if (ra != 0 || rb != 0) return ra <=> rb;
    if (a.epoch != b.epoch) return a.epoch <=> b.epoch;
    return Wide(a.value) * b.timescale <=> Wide(b.value) * a.timescale;
}
