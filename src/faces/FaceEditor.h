#pragma once
// The face editor: owns the face scan, keeps one face region per person in the order the
// persons first appeared, lets the user pick one and change how it is hidden, and draws every
// face region over each frame.
//
// Threads: every operation and merge runs on the main thread. `scanState` and `scanProgress`
// are atomics that the export's wait reads from its worker, sleeping on `waitForScanChange`
// between looks. After each change the editor
// publishes an immutable copy of `objects`; `renderRegions` (render threads) reads only that
// copy, so a frame sees one consistent state and never takes a lock.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>
#include "platform/dispatch/SnapshotSlot.h"

#include "core/CurrentSource.h"
#include "core/FrameStage.h"
#include "platform/time/MediaTime.h"
#include "core/StyleKind.h"
#include "faces/FaceScan.h"
#include "regions/TrackedRegion.h"
#include "regions/RegionStyleEditor.h"
#include "platform/image/Image.h"

enum class FaceScanState { start = 0, end = 1 };

class FaceEditor : public RegionStyleEditor, public FrameStage {
public:
    // `source` is the session's: the scan and the trims read it; it outlives the editor.
    explicit FaceEditor(const CurrentSource& source,
                        FaceScanDetectorFactory detectors = makeBlazeDetectors);

    std::atomic<FaceScanState> scanState{FaceScanState::start};
    FaceScan faceScan;
    std::vector<TrackedRegion> objects;
    std::optional<int> selectedFaceIndex;
    std::optional<TrackedRegion> editSnapshot;
    std::atomic<double> scanProgress{0};

    // Cancels a running scan and empties everything.
    void reset();

    // Scans the current source (when its duration and frame rate are known), merging what the
    // scan reports into `objects`. A scan that fails ends like one that found nobody, so that
    // nothing waits for it forever; the reason goes to `onFailure` when given.
    void startFaceScan(std::function<void(const std::string&)> onFailure = {});
    void selectFace(int index);
    void cancelFaceEdit();
    void endFaceEdit();
    int selectedCover() const;
    // Narrows the selected region's span to the fractions `from`...`to` of the video, never
    // beyond where the person was tracked; later scan merges keep it.
    void trimFace(double from, double to);

    // What the scan's reports do: region i of the report is the person at index i of
    // `objects`; a new person is appended, a known one gets the longer track (keeping its look
    // and a user trim). `duration` and `frameDuration` are the source's when the scan started.
    void progressMerge(std::vector<TrackedRegion> regions, double fraction,
                       const MediaTime& duration, double frameDuration);
    void completionMerge(std::vector<TrackedRegion> regions, const MediaTime& duration,
                         double frameDuration);

    // Whether a scan is under way or has reported: one that never started (or was cancelled
    // by `reset`) will never end, so nothing should wait for it. Main thread.
    bool hasScanToWaitFor() const;
    // A count of the scan's reports and its end so far: pass it to `waitForScanChange` to sleep
    // until the next one. Any thread.
    uint64_t scanChanges() const;
    // Returns once the scan has reported or ended after `seen` (see `scanChanges`), or when
    // `timeout` has passed. Any thread.
    void waitForScanChange(uint64_t seen, std::chrono::milliseconds timeout) const;

    // Makes the current `objects` what the renderer draws. The operations above call it; code
    // that changes `objects` directly (loading a project) calls it after.
    void publish();
    // The face stage of the chain; any thread. Never nothing: with no regions, `current`.
    std::optional<Image> render(const Image& source, const Image& current,
                                const FrameContext& context,
                                std::vector<Rect>* drawn) const override;

private:
    TrackedRegion* selectedFace();
    TrackedRegion* selectedRegion() override { return selectedFace(); }
    void changed() override;  // publish, then post updateFilter
    void merge(std::vector<TrackedRegion>& regions, const MediaTime& duration,
               double frameDuration);
    // Wakes whoever waits for the scan; after every change of `scanState` or `scanProgress`.
    void signalScanChange();

    const CurrentSource& source_;
    SnapshotSlot<const std::vector<TrackedRegion>> snapshot_;
    // Bumped by reset: reports of a scan started before it belong to another video.
    uint64_t scanGeneration_ = 0;
    mutable std::mutex scanChangeMutex_;
    mutable std::condition_variable scanChange_;
    uint64_t scanChanges_ = 0;  // under scanChangeMutex_
};
