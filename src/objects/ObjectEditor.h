#pragma once
// The object editor: turns a box the user drew on one frame into a tracked region by running
// the forward and backward tracking passes and joining their samples; the user picks a region
// and changes how it is hidden (RegionListEditor), or deletes it.
//
// Threads: every operation runs on the main thread, and so do the tracking callbacks. Rects
// handed in are normalised to the displayed frame with the origin at the top-left.

#include <cstdint>

#include "objects/ObjectTrackingRun.h"
#include "platform/time/MediaTime.h"
#include "regions/RegionListEditor.h"

class ObjectEditor : public RegionListEditor {
public:
    // `source` is the session's: tracking and trims read it; it outlives the editor.
    explicit ObjectEditor(const CurrentSource& source, ObjectTrackingServices services = {});

    // Cancels a tracking run (its result is dropped) and empties everything.
    void reset();

    // Tracks `rect` marked at `time` forwards to the end and backwards to the start of the
    // current source, then appends the joined region (not selected). Posts `tracking` (0 at
    // once, then the fraction per frame) and, when the run ends with or without a region,
    // `endTrackingObject`. Nothing happens while the source's duration or frame rate is
    // unknown, or while another run is under way.
    void trackObject(const Rect& rect, const MediaTime& time);
    // A run is under way (see ObjectTrackingRun::isTracking).
    bool isTracking() const;
    // Stops the run under way; it ends with `endTrackingObject` and no region.
    void cancelTracking();
    // Deletes the selected region and ends editing; posts `deleteObject`, then `updateFilter`.
    void removeSelectedObject();

private:
    ObjectTrackingRun trackingRun_;
    // Bumped by reset: a run started before it tracked another video.
    uint64_t runGeneration_ = 0;
};
