#include "faces/FaceSpanJumps.h"

#include <algorithm>
#include <cmath>

#include "regions/TrackedRegion.h"

std::optional<double> nearestFaceEdge(const std::vector<TrackedRegion>& regions, double playhead,
                                      double frameDuration, Heading heading) {
    std::optional<double> best;
    auto consider = [&](double edge) {
        const double ahead = heading == Heading::forward ? edge - playhead : playhead - edge;
        if (!(ahead > frameDuration / 2)) return;
        if (!best || std::abs(edge - playhead) < std::abs(*best - playhead)) best = edge;
    };
    for (const TrackedRegion& region : regions) {
        const double start = region.trimTime.start.seconds();
        const double end = region.trimTime.end().seconds();
        if (!(end > start)) continue;
        consider(start);
        // The last frame drawn, not the moment after it, where the cover is already gone.
        consider(std::max(start, end - frameDuration));
    }
    return best;
}
