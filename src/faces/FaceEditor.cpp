#include "faces/FaceEditor.h"

#include <algorithm>
#include <cmath>

#include "core/Notifications.h"
#include "platform/log/Log.h"

namespace {

void post(const NotificationName& name) {
    NotificationCenter::defaultCenter().post(name);
}

// A fraction of the video as a media time in the duration's timescale; out-of-range fractions
// are clamped so the conversion stays defined.
MediaTime atFraction(const MediaTime& duration, double fraction) {
    double f = std::isnan(fraction) ? 0.0 : std::clamp(fraction, 0.0, 1.0);
    return MediaTime::fromSeconds(duration.seconds() * f, duration.timescale);
}

}  // namespace

FaceEditor::FaceEditor(const CurrentSource& source, FaceScanDetectorFactory detectors)
    : faceScan(std::move(detectors)), source_(source) {
    publish();
}

void FaceEditor::reset() {
    faceScan.cancel();
    ++scanGeneration_;
    scanState = FaceScanState::start;
    objects.clear();
    selectedFaceIndex.reset();
    editSnapshot.reset();
    scanProgress = 0;
    signalScanChange();
    publish();
}

bool FaceEditor::hasScanToWaitFor() const {
    return scanState.load() == FaceScanState::end || faceScan.isScanning() ||
           scanProgress.load() > 0;
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

void FaceEditor::publish() {
    snapshot_.store(std::make_shared<const std::vector<TrackedRegion>>(objects));
}

void FaceEditor::changed() {
    publish();
    post(Notifications::updateFilter);
}

TrackedRegion* FaceEditor::selectedFace() {
    if (!selectedFaceIndex || *selectedFaceIndex < 0 || *selectedFaceIndex >= int(objects.size()))
        return nullptr;
    return &objects[size_t(*selectedFaceIndex)];
}

void FaceEditor::merge(std::vector<TrackedRegion>& regions, const MediaTime& duration,
                  double frameDuration) {
    for (size_t i = 0; i < regions.size(); ++i) {
        if (i >= objects.size()) {
            objects.push_back(std::move(regions[i]));
            continue;
        }
        objects[i].setSamples(std::move(regions[i].samples));
        objects[i].updateTimeRange(duration, frameDuration);
    }
    publish();
}

void FaceEditor::progressMerge(std::vector<TrackedRegion> regions, double fraction,
                          const MediaTime& duration, double frameDuration) {
    scanProgress = fraction;
    signalScanChange();
    merge(regions, duration, frameDuration);
    post(Notifications::progressing);
}

void FaceEditor::completionMerge(std::vector<TrackedRegion> regions, const MediaTime& duration,
                            double frameDuration) {
    merge(regions, duration, frameDuration);
    scanState = FaceScanState::end;
    signalScanChange();
    post(Notifications::endProcess);
    post(Notifications::updateFilter);
}

void FaceEditor::startFaceScan(std::function<void(const std::string&)> onFailure) {
    auto asset = source_.get();
    if (!asset) return;
    auto duration = asset->duration();
    auto rate = asset->nominalFrameRate();
    if (!duration || !duration->isNumeric() || !rate || !(*rate > 0)) return;
    const MediaTime d = *duration;
    const double frameDuration = 1.0 / *rate;
    const uint64_t generation = scanGeneration_;
    faceScan.scanFaces(
        asset,
        [this, d, frameDuration, generation](double fraction, std::vector<TrackedRegion> regions) {
            if (generation == scanGeneration_)
                progressMerge(std::move(regions), fraction, d, frameDuration);
        },
        [this, d, frameDuration, generation](std::vector<TrackedRegion> regions) {
            if (generation == scanGeneration_)
                completionMerge(std::move(regions), d, frameDuration);
        },
        [this, onFailure, generation](const std::string& reason) {
            if (generation != scanGeneration_) return;
            scanState = FaceScanState::end;
            signalScanChange();
            post(Notifications::endProcess);
            if (onFailure) onFailure(reason);
        });
}

void FaceEditor::selectFace(int index) {
    if (index < 0 || index >= int(objects.size())) return;
    selectedFaceIndex = index;
    editSnapshot = objects[size_t(index)].copy();
    post(Notifications::onEditFace);
}

void FaceEditor::cancelFaceEdit() {
    if (TrackedRegion* face = selectedFace(); face && editSnapshot)
        *face = std::move(*editSnapshot);
    editSnapshot.reset();
    selectedFaceIndex.reset();
    publish();
    post(Notifications::offEditFace);
    post(Notifications::updateFilter);
}

void FaceEditor::endFaceEdit() {
    selectedFaceIndex.reset();
    editSnapshot.reset();
    post(Notifications::offEditFace);
}

int FaceEditor::selectedCover() const {
    if (!selectedFaceIndex || *selectedFaceIndex < 0 || *selectedFaceIndex >= int(objects.size()))
        return 0;
    return int(objects[size_t(*selectedFaceIndex)].cover);
}

void FaceEditor::trimFace(double from, double to) {
    auto asset = source_.get();
    auto duration = asset ? asset->duration() : std::nullopt;
    TrackedRegion* face = selectedFace();
    if (!duration || !duration->isNumeric() || !face) return;
    face->trimTime = face->trimWithin(atFraction(*duration, from), atFraction(*duration, to));
    face->trimmedByUser = true;
    changed();
}

std::optional<Image> FaceEditor::render(const Image& source, const Image& current,
                                        const FrameContext& context,
                                        std::vector<Rect>* drawn) const {
    auto list = snapshot_.load();
    if (list->empty()) return current;
    return renderRegions(*list, source, context.time, current, context.purpose,
                         context.frameDuration, drawn);
}
