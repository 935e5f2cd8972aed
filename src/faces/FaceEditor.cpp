#include "faces/CFace.h"

#include <algorithm>
#include <cmath>

#include "core/Manager.h"
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

CFace::CFace(FaceScanDetectorFactory detectors) : faceDetector(std::move(detectors)) {
    publish();
}

void CFace::reset() {
    faceDetector.cancel();
    ++scanGeneration_;
    trackState = CFaceTrackState::start;
    objects.clear();
    selectedFaceIndex.reset();
    editingObjects.reset();
    progressRate = 0;
    signalScanChange();
    publish();
}

uint64_t CFace::scanChanges() const {
    std::lock_guard lock(scanChangeMutex_);
    return scanChanges_;
}

void CFace::waitForScanChange(uint64_t seen, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(scanChangeMutex_);
    scanChange_.wait_for(lock, timeout, [&] { return scanChanges_ != seen; });
}

void CFace::signalScanChange() {
    {
        std::lock_guard lock(scanChangeMutex_);
        ++scanChanges_;
    }
    scanChange_.notify_all();
}

void CFace::publish() {
    snapshot_.store(std::make_shared<const std::vector<ObjectDetected>>(objects));
}

void CFace::changed() {
    publish();
    post(Notifications::updateFilter);
}

ObjectDetected* CFace::selectedFace() {
    if (!selectedFaceIndex || *selectedFaceIndex < 0 || *selectedFaceIndex >= int(objects.size()))
        return nullptr;
    return &objects[size_t(*selectedFaceIndex)];
}

void CFace::merge(std::vector<ObjectDetected>& regions, const MediaTime& duration,
                  double frameDuration) {
    for (size_t i = 0; i < regions.size(); ++i) {
        if (i >= objects.size()) {
            objects.push_back(std::move(regions[i]));
            continue;
        }
        objects[i].setObjectInfor(std::move(regions[i].objectInfor));
        objects[i].updateTimeRange(duration, frameDuration);
    }
    publish();
}

void CFace::progressMerge(std::vector<ObjectDetected> regions, double fraction,
                          const MediaTime& duration, double frameDuration) {
    progressRate = fraction;
    signalScanChange();
    merge(regions, duration, frameDuration);
    post(Notifications::progressing);
}

void CFace::completionMerge(std::vector<ObjectDetected> regions, const MediaTime& duration,
                            double frameDuration) {
    merge(regions, duration, frameDuration);
    trackState = CFaceTrackState::end;
    signalScanChange();
    post(Notifications::endProcess);
    post(Notifications::updateFilter);
}

void CFace::startFaceScan(std::function<void(const std::string&)> onFailure) {
    auto asset = Manager::shared().asset();
    if (!asset) return;
    auto duration = asset->duration();
    auto rate = asset->nominalFrameRate();
    if (!duration || !duration->isNumeric() || !rate || !(*rate > 0)) return;
    const MediaTime d = *duration;
    const double frameDuration = 1.0 / *rate;
    const uint64_t generation = scanGeneration_;
    faceDetector.scanFaces(
        asset,
        [this, d, frameDuration, generation](double fraction, std::vector<ObjectDetected> regions) {
            if (generation == scanGeneration_)
                progressMerge(std::move(regions), fraction, d, frameDuration);
        },
        [this, d, frameDuration, generation](std::vector<ObjectDetected> regions) {
            if (generation == scanGeneration_)
                completionMerge(std::move(regions), d, frameDuration);
        },
        [this, onFailure, generation](const std::string& reason) {
            if (generation != scanGeneration_) return;
            trackState = CFaceTrackState::end;
            signalScanChange();
            post(Notifications::endProcess);
            if (onFailure) onFailure(reason);
        });
}

void CFace::selectFace(int index) {
    if (index < 0 || index >= int(objects.size())) return;
    selectedFaceIndex = index;
    editingObjects = objects[size_t(index)].copy();
    post(Notifications::onEditFace);
}

void CFace::cancelFaceEdit() {
    if (ObjectDetected* face = selectedFace(); face && editingObjects)
        *face = std::move(*editingObjects);
    editingObjects.reset();
    selectedFaceIndex.reset();
    publish();
    post(Notifications::offEditFace);
    post(Notifications::updateFilter);
}

void CFace::endFaceEdit() {
    selectedFaceIndex.reset();
    editingObjects.reset();
    post(Notifications::offEditFace);
}

int CFace::selectedBlurType() const {
    if (!selectedFaceIndex || *selectedFaceIndex < 0 || *selectedFaceIndex >= int(objects.size()))
        return 0;
    return int(objects[size_t(*selectedFaceIndex)].objectBlurType);
}

void CFace::trimFace(double from, double to) {
    auto asset = Manager::shared().asset();
    auto duration = asset ? asset->duration() : std::nullopt;
    ObjectDetected* face = selectedFace();
    if (!duration || !duration->isNumeric() || !face) return;
    face->trimTime = face->trimWithin(atFraction(*duration, from), atFraction(*duration, to));
    face->alreadyChangeTrimtime = true;
    changed();
}

std::optional<Image> CFace::renderRegions(const Image& source, const MediaTime& time,
                                          const Image& current, bool isExport,
                                          std::vector<Rect>* drawn) const {
    auto list = snapshot_.load();
    if (list->empty()) return current;
    auto asset = Manager::shared().asset();
    double frameDuration = asset ? asset->frameDuration() : 1.0 / 30;
    return ::renderRegions(*list, source, time, current, isExport, frameDuration, drawn);
}
