#pragma once
// The face editor: owns the face scan and keeps one face region per person in the order the
// persons first appeared; the user picks one and changes how it is hidden (RegionListEditor).
// A trim the user sets marks the face as trimmed by the user: later scan reports keep the
// handles the user moved, while a handle left at an end of the person's span goes on following
// it, so a face touched while the scan runs is never left uncovered where it appears later.
//
// Threads: every operation and merge runs on the main thread. The scan's state and progress
// are atomics that the export's wait reads from its worker, sleeping on `waitForScanChange`
// between looks.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "faces/FaceHiding.h"
#include "faces/FaceScan.h"
#include "platform/time/MediaTime.h"
#include "regions/RegionListEditor.h"

enum class FaceScanState { start = 0, end = 1 };

class FaceEditor : public RegionListEditor {
public:
    // `source` is the session's: the scan and the trims read it; it outlives the editor.
    explicit FaceEditor(const CurrentSource& source, FaceScanDetectorFactory detectors =
                                                         faceScanDetectors(FaceScanReach::careful));

    // Cancels a running scan and empties everything.
    void reset();

    // The detectors of the scans started from now on.
    void setScanDetectors(FaceScanDetectorFactory detectors);
    // Scans the current source, merging what the scan reports into the regions. A scan that
    // fails ends like one that found nobody, so that nothing waits for it forever; the reason
    // goes to `onFailure` when given. While the source's duration or frame rate is unknown no
    // scan starts (nothing waits for it) and `onFailure` says so.
    void startFaceScan(std::function<void(const std::string&)> onFailure = {});

    // What the scan's reports do: region i of the report is the person at index i of the
    // list; a new person is appended, a known one gets the longer track (keeping its look and
    // a user trim). `duration` and `frameDuration` are the source's when the scan started.
    void progressMerge(std::vector<TrackedRegion> regions, double fraction,
                       const MediaTime& duration, double frameDuration);
    void completionMerge(std::vector<TrackedRegion> regions, const MediaTime& duration,
                         double frameDuration);

    // The look each person the scan finds from now on starts with; none: not hidden until the
    // user chooses. The editor hides by default, so that saving without a look at each person
    // never leaks a face.
    void setHidingForNewFaces(std::optional<FaceHiding> hiding);
    // Gives every person not yet hidden the look of `hiding`; those hidden keep their look.
    // Posts updateFilter when anything changed.
    void hideEveryFace(const FaceHiding& hiding);
    // Hides nobody (each keeps the rest of its look, to be hidden again as it was); posts
    // updateFilter when anything changed.
    void showEveryFace();
    // How many persons are hidden.
    size_t hiddenFaceCount() const;

    // The scan's state and the fraction of the video it has read. Any thread.
    FaceScanState scanState() const { return scanState_.load(); }
    double scanProgress() const { return scanProgress_.load(); }
    // The frames the last scan that ran to its end looked at; 0 before. Main thread.
    int framesScanned() const { return framesScanned_; }
    // Whether a scan was started or has reported since the last `reset`: one that never
    // started will never end, so nothing should wait for it. Main thread.
    bool hasScanToWaitFor() const { return scanStarted_; }
    // A count of the scan's reports and its end so far: pass it to `waitForScanChange` to sleep
    // until the next one. Any thread.
    uint64_t scanChanges() const;
    // Returns once the scan has reported or ended after `seen` (see `scanChanges`), or when
    // `timeout` has passed. Any thread.
    void waitForScanChange(uint64_t seen, std::chrono::milliseconds timeout) const;

private:
    // Whether a hidden person was added or moved.
    bool merge(std::vector<TrackedRegion>& regions, const MediaTime& duration,
               double frameDuration);
    // Ends the scan: after its completion or failure.
    void endScan();
    // Wakes whoever waits for the scan; after every change of the scan's state or progress.
    void signalScanChange();

    FaceScan faceScan_;
    std::optional<FaceHiding> hidingForNewFaces_;
    std::atomic<FaceScanState> scanState_{FaceScanState::start};
    std::atomic<double> scanProgress_{0};
    bool scanStarted_ = false;
    int framesScanned_ = 0;
    // Bumped by reset: reports of a scan started before it belong to another video.
    uint64_t scanGeneration_ = 0;
    mutable std::mutex scanChangeMutex_;
    mutable std::condition_variable scanChange_;
    uint64_t scanChanges_ = 0;  // under scanChangeMutex_
};
