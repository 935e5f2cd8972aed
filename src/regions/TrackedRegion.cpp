#include "regions/TrackedRegion.h"

#include <algorithm>
#include <cmath>

#include "regions/LayerStack.h"

namespace {

// Past the end of a pass, within this much more than one frame, a region runs to that end.
constexpr double END_TOLERANCE_SECONDS = 0.001;
// A trim end this close to the tracked span's edge is at the edge: handles given as fractions
// of the video come back rounded to the video's timescale.
constexpr double TRIM_EDGE_TOLERANCE_SECONDS = 0.001;

void sortByTime(std::vector<RegionSample>& samples) {
    std::stable_sort(
        samples.begin(), samples.end(),
        [](const RegionSample& a, const RegionSample& b) { return a.timeStamp < b.timeStamp; });
}

}  // namespace

TrackedRegion::TrackedRegion(std::vector<RegionSample> found, Image thumbnailImage,
                             std::string emojiText, Cover type, bool hdr)
    : RegionLook(std::move(emojiText), hdr),
      samples(std::move(found)),
      thumbnail(std::move(thumbnailImage)),
      cover(type) {
    sortByTime(samples);
    MediaTime first = samples.empty() ? MediaTime::zero() : samples.front().timeStamp;
    MediaTime last = samples.empty() ? MediaTime::zero() : samples.back().timeStamp;
    trimTime = {first, last - first};
    startTime = first;
    endTime = last;
}

TrackedRegion TrackedRegion::copy() const {
    TrackedRegion c = *this;
    c.id = makeUuidString();
    c.style = style.styleCopy();
    return c;
}

void TrackedRegion::setSamples(std::vector<RegionSample> found) {
    samples = std::move(found);
    sortByTime(samples);
}

void TrackedRegion::updateTimeRange(const MediaTime& lastTime, double frameDuration) {
    MediaTime first = samples.empty() ? MediaTime::zero() : samples.front().timeStamp;
    MediaTime last = samples.empty() ? MediaTime::zero() : samples.back().timeStamp;
    bool reachesEnd = lastTime.seconds() - last.seconds() <= frameDuration + END_TOLERANCE_SECONDS;
    startTime = first;
    endTime = reachesEnd ? lastTime : last;
    trimTime = userTrimmedSpan();
}

MediaTimeRange TrackedRegion::trimWithin(const MediaTime& from, const MediaTime& to) const {
    MediaTime start = startTime >= from ? startTime : from;
    MediaTime end = endTime < to ? endTime : to;
    if (end < start) end = start;
    return {start, end - start};
}

void TrackedRegion::keepUserTrim(const MediaTimeRange& trim) {
    auto atEdge = [](const MediaTime& t, const MediaTime& edge) {
        return std::fabs(t.seconds() - edge.seconds()) <= TRIM_EDGE_TOLERANCE_SECONDS;
    };
    const MediaTime end = trim.end();
    userTrimStart = atEdge(trim.start, startTime) ? std::nullopt : std::optional(trim.start);
    userTrimEnd = atEdge(end, endTime) ? std::nullopt : std::optional(end);
    trimTime = userTrimmedSpan();
}

MediaTimeRange TrackedRegion::userTrimmedSpan() const {
    return trimWithin(userTrimStart.value_or(startTime), userTrimEnd.value_or(endTime));
}

std::optional<RegionSample> TrackedRegion::sampleAt(const MediaTime& t,
                                                    double frameDuration) const {
    if (t < trimTime.start) return std::nullopt;
    MediaTime limit = trimTime.end() + MediaTime::fromSeconds(frameDuration, t.timescale);
    if (t > limit) return std::nullopt;
    // The latest sample at or before t; of several at that time, the first in the list.
    double at = t.seconds();
    auto after =
        std::upper_bound(samples.begin(), samples.end(), at,
                         [](double s, const RegionSample& o) { return s < o.timeStamp.seconds(); });
    if (after == samples.begin()) return std::nullopt;
    double latest = std::prev(after)->timeStamp.seconds();
    auto first =
        std::lower_bound(samples.begin(), after, latest,
                         [](const RegionSample& o, double s) { return o.timeStamp.seconds() < s; });
    return *first;
}

std::optional<Rect> TrackedRegion::drawnRectAt(const MediaTime& t, double frameDuration) const {
    auto sample = sampleAt(t, frameDuration);
    if (!sample) return std::nullopt;
    return coveredArea(*sample);
}

std::optional<Image> TrackedRegion::layer(const Image& frame, const MediaTime& t,
                                          double frameDuration, RenderPurpose purpose) const {
    auto rect = drawnRectAt(t, frameDuration);
    if (cover == Cover::none || !rect) return std::nullopt;
    return styledLayer(cover, *rect, frame, purpose);
}

Rect TrackedRegion::coveredArea(const RegionSample& sample) const {
    double w = sample.nominalRect.width * scale, h = sample.nominalRect.height * scale;
    return {sample.nominalRect.midX() - w / 2, sample.nominalRect.midY() - h / 2, w, h};
}

Image renderRegions(const std::vector<TrackedRegion>& regions, const Image& source,
                    const MediaTime& time, const Image& background, RenderPurpose purpose,
                    double frameDuration, std::vector<Rect>* drawn) {
    if (source.empty()) return background;
    LayerStack layers(background, drawn);
    for (const TrackedRegion& region : regions)
        if (auto layer = region.layer(source, time, frameDuration, purpose))
            layers.push(std::move(*layer));
    return layers.result();
}
