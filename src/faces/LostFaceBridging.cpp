#include "faces/LostFaceBridging.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

bool near(const Rect& a, const Rect& b) {
    double w = BRIDGED_DISTANCE * std::max(a.width, b.width),
           h = BRIDGED_DISTANCE * std::max(a.height, b.height);
    double lo = std::min(a.height, b.height), hi = std::max(a.height, b.height);
    return std::abs(a.midX() - b.midX()) < w && std::abs(a.midY() - b.midY()) < h && hi > 0 &&
           lo * 2 >= hi;
}

Rect mix(const Rect& a, const Rect& b, double t) {
    return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t, a.width + (b.width - a.width) * t,
            a.height + (b.height - a.height) * t};
}

}  // namespace

void bridgeBriefLosses(std::vector<std::vector<RegionSample>>& tracks,
                       std::span<const MediaTime> frameTimes) {
    // Pairs first, from the tracks as they came, so a bridge never leads to another.
    std::vector<std::optional<RegionSample>> next(tracks.size());
    for (size_t i = 0; i < tracks.size(); ++i) {
        if (tracks[i].empty()) continue;
        const RegionSample& last = tracks[i].back();
        for (size_t j = 0; j < tracks.size(); ++j) {
            if (j == i || tracks[j].empty()) continue;
            const RegionSample& first = tracks[j].front();
            double gap = (first.timeStamp - last.timeStamp).seconds();
            if (gap <= 0 || gap > MAX_BRIDGED_LOSS || !near(last.nominalRect, first.nominalRect))
                continue;
            if (!next[i] || first.timeStamp < next[i]->timeStamp) next[i] = first;
        }
    }
    for (size_t i = 0; i < tracks.size(); ++i) {
        if (!next[i]) continue;
        const RegionSample from = tracks[i].back(), to = *next[i];
        const double span = (to.timeStamp - from.timeStamp).seconds();
        auto t = std::upper_bound(frameTimes.begin(), frameTimes.end(), from.timeStamp);
        for (; t != frameTimes.end() && *t < to.timeStamp; ++t)
            tracks[i].push_back({*t, mix(from.nominalRect, to.nominalRect,
                                         (*t - from.timeStamp).seconds() / span)});
    }
}
