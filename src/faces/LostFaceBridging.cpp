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

// Whether a track other than `self` has a sample at `at` overlapping `box`: the face goes on
// under another track, so holding `self` there would only cover where it was.
bool continuedElsewhere(const std::vector<std::vector<RegionSample>>& tracks, size_t self,
                        MediaTime at, const Rect& box) {
    for (size_t j = 0; j < tracks.size(); ++j) {
        if (j == self) continue;
        auto s =
            std::lower_bound(tracks[j].begin(), tracks[j].end(), at,
                             [](const RegionSample& r, MediaTime t) { return r.timeStamp < t; });
        if (s != tracks[j].end() && s->timeStamp == at &&
            !s->nominalRect.intersection(box).isEmpty())
            return true;
    }
    return false;
}

// The box at `at`, past the track's last sample (`forward`) or before its first, moved on as
// the track's box moved over HELD_MOTION_SPAN next to that end.
Rect carried(const std::vector<RegionSample>& track, bool forward, MediaTime at) {
    const RegionSample& end = forward ? track.back() : track.front();
    const RegionSample* ref = &end;
    if (forward) {
        for (auto s = track.rbegin(); s != track.rend(); ++s) {
            if ((end.timeStamp - s->timeStamp).seconds() > HELD_MOTION_SPAN) break;
            ref = &*s;
        }
    } else {
        for (const RegionSample& s : track) {
            if ((s.timeStamp - end.timeStamp).seconds() > HELD_MOTION_SPAN) break;
            ref = &s;
        }
    }
    const Rect& a = end.nominalRect;
    const double dt = (end.timeStamp - ref->timeStamp).seconds();
    if (dt == 0) return a;
    const Rect& b = ref->nominalRect;
    const double k = (at - end.timeStamp).seconds() / dt;
    const double w = std::clamp(a.width + (a.width - b.width) * k, a.width / 2, a.width * 2);
    const double h = std::clamp(a.height + (a.height - b.height) * k, a.height / 2, a.height * 2);
    return {a.midX() + (a.midX() - b.midX()) * k - w / 2,
            a.midY() + (a.midY() - b.midY()) * k - h / 2, w, h};
}

}  // namespace

void bridgeBriefLosses(std::vector<std::vector<RegionSample>>& tracks,
                       std::span<const MediaTime> frameTimes) {
    // What to do at each end is decided on the tracks as they came, so a bridge or a hold never
    // leads to another.
    std::vector<std::optional<size_t>> next(tracks.size());
    std::vector<bool> holdBefore(tracks.size(), false), holdAfter(tracks.size(), false);
    for (size_t i = 0; i < tracks.size(); ++i) {
        if (tracks[i].empty()) continue;
        const RegionSample& last = tracks[i].back();
        for (size_t j = 0; j < tracks.size(); ++j) {
            if (j == i || tracks[j].empty()) continue;
            const RegionSample& first = tracks[j].front();
            double gap = (first.timeStamp - last.timeStamp).seconds();
            if (gap <= 0 || gap > MAX_BRIDGED_LOSS || !near(last.nominalRect, first.nominalRect))
                continue;
            if (!next[i] || first.timeStamp < tracks[*next[i]].front().timeStamp) next[i] = j;
        }
        const RegionSample& first = tracks[i].front();
        const bool longEnough = (last.timeStamp - first.timeStamp).seconds() >= MIN_HELD_TRACK;
        holdAfter[i] = !next[i] && longEnough &&
                       !continuedElsewhere(tracks, i, last.timeStamp, last.nominalRect);
        holdBefore[i] =
            longEnough && !continuedElsewhere(tracks, i, first.timeStamp, first.nominalRect);
    }
    for (size_t i = 0; i < tracks.size(); ++i)
        if (next[i]) holdBefore[*next[i]] = false;
    std::vector<std::vector<RegionSample>> added(tracks.size());
    for (size_t i = 0; i < tracks.size(); ++i) {
        if (tracks[i].empty()) continue;
        const RegionSample from = tracks[i].back();
        auto t = std::upper_bound(frameTimes.begin(), frameTimes.end(), from.timeStamp);
        if (next[i]) {
            const RegionSample to = tracks[*next[i]].front();
            const double span = (to.timeStamp - from.timeStamp).seconds();
            for (; t != frameTimes.end() && *t < to.timeStamp; ++t)
                added[i].push_back({*t, mix(from.nominalRect, to.nominalRect,
                                            (*t - from.timeStamp).seconds() / span)});
        } else if (holdAfter[i]) {
            for (; t != frameTimes.end() && (*t - from.timeStamp).seconds() <= MAX_BRIDGED_LOSS;
                 ++t)
                added[i].push_back({*t, carried(tracks[i], true, *t)});
        }
    }
    for (size_t i = 0; i < tracks.size(); ++i) {
        if (holdBefore[i]) {
            const RegionSample first = tracks[i].front();
            auto end = std::lower_bound(frameTimes.begin(), frameTimes.end(), first.timeStamp);
            auto begin = end;
            while (begin != frameTimes.begin() &&
                   (first.timeStamp - *(begin - 1)).seconds() <= MAX_BRIDGED_LOSS)
                --begin;
            std::vector<RegionSample> before;
            for (auto t = begin; t != end; ++t)
                before.push_back({*t, carried(tracks[i], false, *t)});
            tracks[i].insert(tracks[i].begin(), before.begin(), before.end());
        }
        tracks[i].insert(tracks[i].end(), added[i].begin(), added[i].end());
    }
}
