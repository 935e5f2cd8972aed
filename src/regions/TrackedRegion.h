#pragma once
// One tracked region: a person's face from the face scan, or an object the user marked and
// that was tracked. Time-stamped rects (no interpolation: a sample holds until the next one),
// the span in which the region is drawn, and how it is hidden (a soft circle or rounded
// rectangle of the region's style, or an emoji covering it), with its cached mask pictures.
//
// Threads: editors own and change regions on the main thread. Render threads only ever see
// copies that the editor published and never changes again (the copy constructor keeps the id
// and shares the immutable mask pictures), so the const members are safe on those copies.

#include <optional>
#include <string>
#include <vector>

#include "platform/dispatch/Uuid.h"
#include "platform/image/Image.h"
#include "platform/time/MediaTime.h"
#include "regions/Cover.h"
#include "regions/RegionLook.h"
#include "regions/RegionSample.h"

class TrackedRegion : public RegionLook {
public:
    // Samples are sorted by time (stable); the trim spans the first to the last sample.
    TrackedRegion(std::vector<RegionSample> samples, Image thumbnail, std::string emoji, Cover type,
                  bool isHDR);

    std::string id = makeUuidString();
    std::vector<RegionSample> samples;  // by timeStamp ascending
    Image thumbnail;
    MediaTimeRange trimTime;
    MediaTime startTime;
    MediaTime endTime;
    Cover cover = Cover::none;
    double scale = 1;
    // The trim handles the user moved off the edges of the tracked span, at the times they
    // were left. A handle left at an edge follows that edge when a scan extends the span; a
    // moved one keeps its time, so a later scan never uncovers a moment the user chose to hide.
    std::optional<MediaTime> userTrimStart;
    std::optional<MediaTime> userTrimEnd;

    bool trimmedByUser() const { return userTrimStart || userTrimEnd; }
    // A new region (new id) with this one's samples, times, trim and look, its intensity
    // clamped to 0...1, sharing the mask pictures.
    TrackedRegion copy() const;

    // Replaces the samples (sorted by time, stable) without touching anything else.
    void setSamples(std::vector<RegionSample> samples);
    // Start and end from the samples; the end becomes `lastTime` when the last sample lies
    // within one frame (+1 ms) of it. The trim follows, but for the handles the user moved.
    void updateTimeRange(const MediaTime& lastTime, double frameDuration);
    // From its start to its end: where the region was tracked.
    MediaTimeRange trackedSpan() const { return {startTime, endTime - startTime}; }
    // The trim that handles at `from` and `to` give: within the tracked span (start to end),
    // and empty rather than negative when the handles cross.
    MediaTimeRange trimWithin(const MediaTime& from, const MediaTime& to) const;
    // Makes `trim` (within the tracked span) the user's trim: each end within a millisecond of
    // the span's edge is left to follow that edge, the other keeps its time. A trim over the
    // whole span leaves the region untrimmed.
    void keepUserTrim(const MediaTimeRange& trim);
    // The tracked span narrowed by the handles the user moved.
    MediaTimeRange userTrimmedSpan() const;
    // The sample shown at `t`: the latest at or before it, while `t` lies in the trim or less
    // than one frame past its end.
    std::optional<RegionSample> sampleAt(const MediaTime& t, double frameDuration) const;
    // The area a sample's layer covers: its rect grown by `scale` about its centre (normalised,
    // origin at the lower-left, as the rect).
    Rect coveredArea(const RegionSample& sample) const;
    // Where the region is drawn at `t`: its sample there enlarged about its centre by `scale`.
    std::optional<Rect> drawnRectAt(const MediaTime& t, double frameDuration) const;
    // This region's layer over `frame` at `t`: the frame styled where the layer shows, cut to
    // the placed mask, or the placed emoji picture; nothing when it is not drawn then.
    std::optional<Image> layer(const Image& frame, const MediaTime& t, double frameDuration,
                               RenderPurpose purpose) const;
};

// `regions` drawn in order over `background`, each styled from `source` only where it shows.
// A region that cannot be drawn at `time` leaves the picture as it was. The area of each layer
// drawn is appended to `drawn` when given. Any thread, on published copies.
Image renderRegions(const std::vector<TrackedRegion>& regions, const Image& source,
                    const MediaTime& time, const Image& background, RenderPurpose purpose,
                    double frameDuration, std::vector<Rect>* drawn = nullptr);
