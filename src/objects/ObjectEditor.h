#pragma once
// The object editor: turns a box the user drew on one frame into a tracked region by running
// the forward and backward tracking passes and joining their samples, keeps one region selected
// for editing with a snapshot to return to, applies the user's edits to it, deletes regions and
// draws every object region over each frame.
//
// Threads: every operation runs on the main thread, and so do the tracking callbacks. After
// each change the editor publishes an immutable copy of `objects`; `renderRegions` (render
// threads) reads only that copy, so a frame sees one consistent state and never takes a lock.
// Rects handed in are normalised to the displayed frame with the origin at the top-left.

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>
#include "platform/dispatch/SnapshotSlot.h"

#include "core/CurrentSource.h"
#include "core/FrameStage.h"
#include "platform/time/MediaTime.h"
#include "core/StyleKind.h"
#include "regions/TrackedRegion.h"
#include "objects/ObjectTrackingRun.h"
#include "regions/RegionStyleEditor.h"
#include "platform/image/Image.h"

class ObjectEditor : public RegionStyleEditor, public FrameStage {
public:
    // `source` is the session's: tracking and trims read it; it outlives the editor.
    explicit ObjectEditor(const CurrentSource& source, ObjectTrackingServices services = {});

    ObjectTrackingRun trackingRun;
    std::vector<TrackedRegion> objects;  // later ones are drawn over earlier ones
    std::optional<int> selectedObjectIndex;
    std::optional<TrackedRegion> editSnapshot;  // snapshot for cancelEditing

    // Cancels a tracking run (its result is dropped) and empties everything.
    void reset();

    // Tracks `rect` marked at `time` forwards to the end and backwards to the start of the current
    // source, then appends the joined region (not selected). Posts `tracking` (0 at once, then
    // the fraction per frame) and, when the run ends with or without a region, `endTrackingObject`.
    // Nothing happens while the source's duration or frame rate is unknown, or while another
    // run is under way.
    void trackObject(const Rect& rect, const MediaTime& time);
    void selectObject(int index);
    void cancelEditing();
    void finishEditing();
    void removeSelectedObject();
    Cover selectedCover() const;
    // Narrows the selected region's trim to the fractions `start`...`end` of the video, never
    // beyond its tracked span.
    void changeTrim(double start, double end);

    // Makes the current `objects` what the renderer draws. The operations above call it; code
    // that changes `objects` directly (loading a project) calls it after.
    void publish();
    // The object stage of the chain; any thread. Never nothing: with no regions, `current`.
    std::optional<Image> render(const Image& source, const Image& current,
                                const FrameContext& context,
                                std::vector<Rect>* drawn) const override;

private:
    TrackedRegion* selectedObject();
    TrackedRegion* selectedRegion() override { return selectedObject(); }
    const TrackedRegion* selectedObject() const;
    void changed() override;  // publish, then post updateFilter

    const CurrentSource& source_;
    SnapshotSlot<const std::vector<TrackedRegion>> snapshot_;
    // Bumped by reset: a run started before it tracked another video.
    uint64_t runGeneration_ = 0;
};
