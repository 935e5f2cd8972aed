#pragma once
// Rational media time: a 64-bit value over a 32-bit timescale, with flags and an epoch.
// Arithmetic and comparison are exact while the results fit; otherwise the result is rounded
// to the larger timescale and flagged `hasBeenRounded`. Value type, any thread.

#include <compare>
#include <cstdint>

struct MediaTime {
    enum Flags : uint32_t {
        valid = 1,
        hasBeenRounded = 2,
        positiveInfinity = 4,
        negativeInfinity = 8,
        indefinite = 16,
    };

    int64_t value = 0;
    int32_t timescale = 0;
    uint32_t flags = 0;
    int64_t epoch = 0;

    constexpr MediaTime() = default;
    constexpr MediaTime(int64_t v, int32_t ts) : value(v), timescale(ts), flags(ts > 0 ? uint32_t(valid) : 0u) {}

    static constexpr MediaTime zero() { return MediaTime(0, 1); }
    static constexpr MediaTime invalid() { return MediaTime(); }
    static MediaTime fromSeconds(double seconds, int32_t timescale);
    // A fraction of `duration` in its timescale; NaN counts as 0 and fractions outside 0...1
    // are clamped, so the conversion stays defined.
    static MediaTime atFraction(const MediaTime& duration, double fraction);

    bool isValid() const { return (flags & valid) && timescale > 0; }
    bool isNumeric() const {
        return isValid() && !(flags & (positiveInfinity | negativeInfinity | indefinite));
    }
    double seconds() const;
    // The same instant in another timescale, rounded to nearest.
    MediaTime convertScale(int32_t newTimescale) const;

    friend MediaTime operator+(const MediaTime& a, const MediaTime& b);
    friend MediaTime operator-(const MediaTime& a, const MediaTime& b);
    friend std::strong_ordering operator<=>(const MediaTime& a, const MediaTime& b);
    // Equal instants compare equal whatever their timescales.
    friend bool operator==(const MediaTime& a, const MediaTime& b) { return (a <=> b) == 0; }
};

struct MediaTimeRange {
    MediaTime start;
    MediaTime duration;

    MediaTime end() const { return start + duration; }
    bool contains(const MediaTime& t) const { return t >= start && t < end(); }
};
