#pragma once
// The export's wait for the automatic face scan. Export maps its progress in two parts: from 0
// to `share` while the scan finishes, from `share` to 1 while the file is written. Here, p0 is
// the scan's progress when the export started; every 0.1 s at most, the wait reports
// max(0, p - p0) / (1 - p0) × share for the scan's current progress p.
//
// Threads: a background thread; it sleeps on the scan's change signal between looks (waking at
// least for each report, which is when a cancel is seen at the latest), so it takes no core away from the scan it waits for.

#include <atomic>
#include <functional>

class FaceEditor;

// True once the scan has ended; false as soon as `cancel` is set.
bool waitForFaceScan(const FaceEditor& face, const std::atomic<bool>& cancel, double p0,
                     double share, const std::function<void(double)>& report);
