#pragma once
// Small tracked regions for the region editors' tests, with times in 600ths of a second.

#include "regions/TrackedRegion.h"

inline MediaTime sec(double s) {
    return MediaTime::fromSeconds(s, 600);
}

// A region seen at `from` and `to` seconds, hidden by nothing yet.
inline TrackedRegion trackedFrom(double from, double to) {
    return TrackedRegion({{sec(from), {0.1, 0.1, 0.2, 0.2}}, {sec(to), {0.2, 0.1, 0.2, 0.2}}},
                         Image(), "😀", Cover::none, false);
}
