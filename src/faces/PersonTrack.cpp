#include "faces/PersonTrack.h"

#include <algorithm>

namespace {

Rect mix(const Rect& a, const Rect& b, double weightOfA) {
    double s = weightOfA, t = 1 - weightOfA;
    return {s * a.x + t * b.x, s * a.y + t * b.y, s * a.width + t * b.width,
            s * a.height + t * b.height};
}

Rect moved(const Rect& r, const Point& from, const Point& to) {
    return {r.x + to.x - from.x, r.y + to.y - from.y, r.width, r.height};
}

// Weight of the start anchor at position k of a gap of length L: 1 at the start, 0 at the end,
// linear in time between.
double startWeight(size_t k, size_t length) {
    return double(length - 1 - k) / double(length - 1);
}

}  // namespace

std::vector<std::vector<size_t>> gaps(const std::vector<bool>& seen) {
    std::vector<std::vector<size_t>> result;
    const size_t m = seen.size();
    for (size_t s = 0; s < m;) {
        if (seen[s]) {
            ++s;
            continue;
        }
        size_t e = s;
        while (e < m && !seen[e]) ++e;
        std::vector<size_t> run;
        if (s >= 1) run.push_back(s - 1);
        for (size_t i = s; i < e; ++i) run.push_back(i);
        if (e < m) run.push_back(e);
        result.push_back(std::move(run));
        s = e;
    }
    return result;
}

std::optional<Rect> estimateFace(const std::optional<Rect>& startFace,
                                 const std::optional<Rect>& endFace,
                                 const std::optional<PoseData>& startPose,
                                 const std::optional<PoseData>& endPose,
                                 const std::optional<PoseData>& curPose, double w) {
    if (!startPose || !endPose || !curPose) return std::nullopt;
    std::optional<Point> PoseData::*joint = nullptr;
    if (startPose->nose && endPose->nose && curPose->nose)
        joint = &PoseData::nose;
    else if (startPose->neck && endPose->neck && curPose->neck)
        joint = &PoseData::neck;
    else
        return std::nullopt;
    const Point s0 = *(*startPose.*joint), e0 = *(*endPose.*joint), c = *(*curPose.*joint);
    if (startFace && endFace) return mix(moved(*startFace, s0, c), moved(*endFace, e0, c), w);
    if (startFace) return moved(*startFace, s0, c);
    if (endFace) return moved(*endFace, e0, c);
    return std::nullopt;
}

std::vector<RegionSample> trackSamples(std::vector<PersonFrame> slice) {
    auto faceGaps = [&] {
        std::vector<bool> seen(slice.size());
        for (size_t k = 0; k < slice.size(); ++k) seen[k] = slice[k].face.has_value();
        return gaps(seen);
    };
    for (const auto& g : faceGaps()) {
        const size_t L = g.size();
        if (L < 2) continue;
        const PersonFrame start = slice[g.front()], end = slice[g.back()];
        for (size_t k = 0; k < L; ++k) {
            PersonFrame& frame = slice[g[k]];
            if (frame.face) continue;
            frame.face = estimateFace(start.face, end.face, start.pose, end.pose, frame.pose,
                                      startWeight(k, L));
        }
    }
    // What is left between two faces (frames with nothing found, or with a pose the faces
    // could not be moved with) is moved linearly from one face to the other: the person is
    // there, so the face is never left bare.
    for (const auto& g : faceGaps()) {
        const size_t L = g.size();
        if (L < 3) continue;
        const std::optional<Rect> a = slice[g.front()].face, b = slice[g.back()].face;
        if (!a || !b) continue;
        for (size_t k = 0; k < L; ++k)
            if (!slice[g[k]].face) slice[g[k]].face = mix(*a, *b, startWeight(k, L));
    }

    std::vector<RegionSample> samples;
    for (const PersonFrame& frame : slice)
        if (frame.face) samples.push_back({frame.timeStamp, *frame.face});
    return samples;
}

std::vector<RegionSample> personTrack(std::span<const FrameFaces> frames, const std::string& id) {
    auto hasId = [&](const auto& r) { return r.personid == id; };
    std::vector<PersonFrame> slice;
    size_t seenLength = 0;
    for (const FrameFaces& frame : frames) {
        auto face = std::find_if(frame.faces.begin(), frame.faces.end(), hasId);
        auto pose = std::find_if(frame.poses.begin(), frame.poses.end(), hasId);
        PersonFrame p{frame.timeStamp, std::nullopt, std::nullopt};
        if (face != frame.faces.end()) p.face = face->rect;
        if (pose != frame.poses.end()) p.pose = *pose;
        bool seen = p.face || p.pose;
        if (slice.empty() && !seen) continue;
        slice.push_back(std::move(p));
        if (seen) seenLength = slice.size();
    }
    slice.resize(seenLength);
    return trackSamples(std::move(slice));
}
