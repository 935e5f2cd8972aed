#include "faces/FaceEditor.h"

#include <algorithm>
#include <utility>

#include "core/Notifications.h"

namespace {

void post(const NotificationName& name) {
    NotificationCenter::defaultCenter().post(name);
}

}  // namespace

FaceEditor::FaceEditor(const CurrentSource& source, FaceScanDetectorFactory detectors)
    : RegionListEditor(source, UserTrim::marksRegion,
                       {Notifications::onEditFace, Notifications::offEditFace}),
      faceScan_(std::move(detectors)) {}

void FaceEditor::reset() {
    faceScan_.cancel();
    ++scanGeneration_;
    scanState_ = FaceScanState::start;
    scanProgress_ = 0;
    scanStarted_ = false;
    framesScanned_ = 0;
    clear();
    signalScanChange();
}

void FaceEditor::setScanDetectors(FaceScanDetectorFactory detectors) {
    faceScan_.setDetectors(std::move(detectors));
}

uint64_t FaceEditor::scanChanges() const {
    std::lock_guard lock(scanChangeMutex_);
    return scanChanges_;
}

void FaceEditor::waitForScanChange(uint64_t seen, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(scanChangeMutex_);
    scanChange_.wait_for(lock, timeout, [&] { return scanChanges_ != seen; });
}

void FaceEditor::signalScanChange() {
    {
        std::lock_guard lock(scanChangeMutex_);
        ++scanChanges_;
    }
    scanChange_.notify_all();
}

void FaceEditor::setHidingForNewFaces(std::optional<FaceHiding> hiding) {
    hidingForNewFaces_ = std::move(hiding);
}

void FaceEditor::hideEveryFace(const FaceHiding& hiding) {
    bool any = false;
    for (TrackedRegion& region : regions_) {
        if (region.cover != Cover::none) continue;
        applyFaceHiding(region, hiding);
        any = true;
    }
    if (any) changed();
}

void FaceEditor::showEveryFace() {
    bool any = false;
    for (TrackedRegion& region : regions_)
        any |= std::exchange(region.cover, Cover::none) != Cover::none;
    if (any) changed();
}

size_t FaceEditor::hiddenFaceCount() const {
    return size_t(std::count_if(regions_.begin(), regions_.end(),
                                [](const TrackedRegion& r) { return r.cover != Cover::none; }));
}

bool FaceEditor::merge(std::vector<TrackedRegion>& regions, const MediaTime& duration,
                       double frameDuration) {
    bool hiddenChanged = false;
    for (size_t i = 0; i < regions.size(); ++i) {
        if (i >= regions_.size()) {
            if (hidingForNewFaces_) applyFaceHiding(regions[i], *hidingForNewFaces_);
            hiddenChanged |= regions[i].cover != Cover::none;
            regions_.push_back(std::move(regions[i]));
            continue;
        }
        hiddenChanged |= regions_[i].cover != Cover::none;
        regions_[i].setSamples(std::move(regions[i].samples));
        regions_[i].updateTimeRange(duration, frameDuration);
    }
    publish();
    return hiddenChanged;
}

void FaceEditor::progressMerge(std::vector<TrackedRegion> regions, double fraction,
                               const MediaTime& duration, double frameDuration) {
    scanStarted_ = true;
    scanProgress_ = fraction;
    signalScanChange();
    const bool hiddenChanged = merge(regions, duration, frameDuration);
    post(Notifications::progressing);
    // A hidden person's new appearances change the frames the preview shows.
    if (hiddenChanged) post(Notifications::updateFilter);
}

void FaceEditor::completionMerge(std::vector<TrackedRegion> regions, const MediaTime& duration,
                                 double frameDuration) {
    scanStarted_ = true;
    merge(regions, duration, frameDuration);
    endScan();
    post(Notifications::updateFilter);
}

void FaceEditor::endScan() {
    scanState_ = FaceScanState::end;
    signalScanChange();
    post(Notifications::endProcess);
}

void FaceEditor::startFaceScan(std::function<void(const std::string&)> onFailure) {
    auto source = source_.get();
    if (!source) return;
    auto duration = source->duration();
    auto rate = source->nominalFrameRate();
    if (!duration || !duration->isNumeric() || !rate || !(*rate > 0)) {
        // No scan will come, so nothing may wait for one; the user is told why.
        if (onFailure) onFailure("cannot start: the video's length or frame rate is unknown");
        return;
    }
    const MediaTime d = *duration;
    const double frameDuration = 1.0 / *rate;
    const uint64_t generation = scanGeneration_;
    scanStarted_ = true;
    faceScan_.scanFaces(
        source,
        [this, d, frameDuration, generation](double fraction, std::vector<TrackedRegion> found) {
            if (generation == scanGeneration_)
                progressMerge(std::move(found), fraction, d, frameDuration);
        },
        [this, d, frameDuration, generation](std::vector<TrackedRegion> found, int frames) {
            if (generation != scanGeneration_) return;
            framesScanned_ = frames;
            completionMerge(std::move(found), d, frameDuration);
        },
        [this, onFailure, generation](const std::string& reason) {
            if (generation != scanGeneration_) return;
            endScan();
            if (onFailure) onFailure(reason);
        });
}
