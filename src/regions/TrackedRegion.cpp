#include "objects/ObjectDetected.h"

#include <algorithm>

#include "platform/image/ImageOps.h"

namespace {

// Past the end of a pass, within this much more than one frame, a region runs to that end.
constexpr double END_TOLERANCE_SECONDS = 0.001;

void sortByTime(std::vector<ObjectInFor>& samples) {
    std::stable_sort(
        samples.begin(), samples.end(),
        [](const ObjectInFor& a, const ObjectInFor& b) { return a.timeStamp < b.timeStamp; });
}

Rect scaledAboutCentre(const Rect& r, double factor) {
    double w = r.width * factor, h = r.height * factor;
    return {r.midX() - w / 2, r.midY() - h / 2, w, h};
}

}  // namespace

ObjectDetected::ObjectDetected(std::vector<ObjectInFor> samples, Image thumbnailImage,
                               std::string emojiText, ObjectBlurType type, bool hdr)
    : RegionLook(std::move(emojiText), hdr),
      objectInfor(std::move(samples)),
      thumbnail(std::move(thumbnailImage)),
      objectBlurType(type) {
    sortByTime(objectInfor);
    MediaTime first = objectInfor.empty() ? MediaTime::zero() : objectInfor.front().timeStamp;
    MediaTime last = objectInfor.empty() ? MediaTime::zero() : objectInfor.back().timeStamp;
    trimTime = {first, last - first};
    startTime = first;
    endTime = last;
}

ObjectDetected ObjectDetected::copy() const {
    ObjectDetected c = *this;
    c.id = makeUuidString();
    c.alreadyChangeTrimtime = false;
    c.modelFilterManager = modelFilterManager.styleCopy();
    return c;
}

void ObjectDetected::setObjectInfor(std::vector<ObjectInFor> samples) {
    objectInfor = std::move(samples);
    sortByTime(objectInfor);
}

void ObjectDetected::updateTimeRange(const MediaTime& lastTime, double frameDuration) {
    MediaTime first = objectInfor.empty() ? MediaTime::zero() : objectInfor.front().timeStamp;
    MediaTime last = objectInfor.empty() ? MediaTime::zero() : objectInfor.back().timeStamp;
    bool reachesEnd = lastTime.seconds() - last.seconds() <= frameDuration + END_TOLERANCE_SECONDS;
    MediaTime end = reachesEnd ? lastTime : last;
    if (!alreadyChangeTrimtime) trimTime = {first, end - first};
    startTime = first;
    endTime = end;
}

MediaTimeRange ObjectDetected::trimWithin(const MediaTime& from, const MediaTime& to) const {
    MediaTime start = startTime >= from ? startTime : from;
    MediaTime end = endTime < to ? endTime : to;
    if (end < start) end = start;
    return {start, end - start};
}

std::optional<ObjectInFor> ObjectDetected::objectInforAt(const MediaTime& t,
                                                         double frameDuration) const {
    if (t < trimTime.start) return std::nullopt;
    MediaTime limit = trimTime.end() + MediaTime::fromSeconds(frameDuration, t.timescale);
    if (t > limit) return std::nullopt;
    // The latest sample at or before t; of several at that time, the first in the list.
    double at = t.seconds();
    auto after =
        std::upper_bound(objectInfor.begin(), objectInfor.end(), at,
                         [](double s, const ObjectInFor& o) { return s < o.timeStamp.seconds(); });
    if (after == objectInfor.begin()) return std::nullopt;
    double latest = std::prev(after)->timeStamp.seconds();
    auto first =
        std::lower_bound(objectInfor.begin(), after, latest,
                         [](const ObjectInFor& o, double s) { return o.timeStamp.seconds() < s; });
    return *first;
}

std::optional<Image> ObjectDetected::layer(const Image& frame, const MediaTime& t,
                                           double frameDuration, bool isExport) const {
    auto cover = coverOf(objectBlurType);
    auto sample = objectInforAt(t, frameDuration);
    if (!cover || !sample) return std::nullopt;
    return styledLayer(*cover, scaledAboutCentre(sample->nominalRect, scale), frame, isExport);
}

Image renderRegions(const std::vector<ObjectDetected>& regions, const Image& source,
                    const MediaTime& time, const Image& background, bool isExport,
                    double frameDuration, std::vector<Rect>* drawn) {
    if (source.empty()) return background;
    std::vector<Image> layers;
    for (const ObjectDetected& region : regions)
        if (auto layer = region.layer(source, time, frameDuration, isExport))
            layers.push_back(std::move(*layer));
    return ImageOps::sourceOver(layers, background, drawn);
}
