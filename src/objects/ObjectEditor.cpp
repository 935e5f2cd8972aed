#include "objects/CObject.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "core/Manager.h"
#include "core/Notifications.h"
#include "shapes/EmojiCatalogue.h"

namespace {

void post(const NotificationName& name, NotificationCenter::Payload payload = std::nullopt) {
    NotificationCenter::defaultCenter().post(name, payload);
}

// A fraction of the source as a media time in the duration's timescale; NaN counts as 0 and
// fractions outside 0...1 are clamped, so the conversion stays defined.
MediaTime atFraction(const MediaTime& duration, double fraction) {
    double f = std::isnan(fraction) ? 0.0 : std::clamp(fraction, 0.0, 1.0);
    return MediaTime::fromSeconds(duration.seconds() * f, duration.timescale);
}

// One tracking run: the forward samples, then the backward ones in front of them.
struct TrackingRun {
    std::vector<ObjectInFor> samples;
    std::optional<Image> thumbnail;
};

}  // namespace

CObject::CObject(ObjectTrackingServices services) : objectDetector(std::move(services)) {
    publish();
}

void CObject::reset() {
    ++runGeneration_;
    objectDetector.cancel();
    objects.clear();
    seletedObjectIndex.reset();
    editingObjects.reset();
    publish();
}

const ObjectDetected* CObject::selectedObject() const {
    if (!seletedObjectIndex || *seletedObjectIndex < 0 ||
        *seletedObjectIndex >= int(objects.size()))
        return nullptr;
    return &objects[size_t(*seletedObjectIndex)];
}

ObjectDetected* CObject::selectedObject() {
    return const_cast<ObjectDetected*>(std::as_const(*this).selectedObject());
}

void CObject::publish() {
    snapshot_.store(std::make_shared<const std::vector<ObjectDetected>>(objects));
}

void CObject::changed() {
    publish();
    post(Notifications::updateFilter);
}

void CObject::trackObject(const Rect& rect, const MediaTime& time) {
    std::shared_ptr<const AssetHandler> asset = Manager::shared().asset();
    auto duration = asset ? asset->duration() : std::nullopt;
    auto rate = asset ? asset->nominalFrameRate() : std::nullopt;
    if (!duration || !duration->isNumeric() || !rate || !(*rate > 0) || objectDetector.isTracking())
        return;
    const double frameDuration = 1.0 / *rate;
    const bool hdr = asset->isHDR();
    auto run = std::make_shared<TrackingRun>();
    const uint64_t generation = runGeneration_;
    post(Notifications::tracking, 0.0);

    auto progress = [](double fraction) { post(Notifications::tracking, fraction); };
    auto cancelled = [] { post(Notifications::endTrackingObject); };
    auto backwardDone = [this, run, generation, duration = *duration, frameDuration, hdr](
                            std::deque<ObjectInFor> backward, std::optional<Image> thumbnail) {
        run->samples.insert(run->samples.begin(), backward.begin(), backward.end());
        if (!run->thumbnail) run->thumbnail = std::move(thumbnail);
        if (run->thumbnail && generation == runGeneration_) {
            auto emojis = emojiList();
            ObjectDetected region(std::move(run->samples), *run->thumbnail,
                                  emojis.empty() ? "" : emojis.front(), ObjectBlurType::circle,
                                  hdr);
            region.updateTimeRange(duration, frameDuration);
            objects.push_back(std::move(region));
            publish();
        }
        post(Notifications::endTrackingObject);
    };
    auto forwardDone = [this, run, asset, time, rect, progress, cancelled, backwardDone](
                           std::deque<ObjectInFor> forward, std::optional<Image> thumbnail) {
        run->samples.assign(forward.begin(), forward.end());
        run->thumbnail = std::move(thumbnail);
        objectDetector.trackBackward(asset, MediaTime::zero(), time, rect, progress, backwardDone,
                                     cancelled);
    };
    objectDetector.trackForward(asset, time, rect, progress, forwardDone, cancelled);
}

void CObject::selectObject(int index) {
    if (index < 0 || index >= int(objects.size())) return;
    seletedObjectIndex = index;
    editingObjects = objects[size_t(index)].copy();
    post(Notifications::onEditObjects);
}

void CObject::cancelEditing() {
    if (ObjectDetected* region = selectedObject(); region && editingObjects)
        *region = *editingObjects;
    seletedObjectIndex.reset();
    editingObjects.reset();
    publish();
    post(Notifications::offEditObjects);
    post(Notifications::updateFilter);
}

void CObject::finishEditing() {
    seletedObjectIndex.reset();
    editingObjects.reset();
    post(Notifications::offEditObjects);
}

void CObject::removeSelectedObject() {
    if (!selectedObject()) return;
    objects.erase(objects.begin() + *seletedObjectIndex);
    publish();
    post(Notifications::deleteObject);
    seletedObjectIndex.reset();
    editingObjects.reset();
    post(Notifications::updateFilter);
}

ObjectBlurType CObject::selectedBlurType() const {
    const ObjectDetected* region = selectedObject();
    return region ? region->objectBlurType : ObjectBlurType::none;
}

void CObject::changeTrim(double start, double end) {
    auto asset = Manager::shared().asset();
    auto duration = asset ? asset->duration() : std::nullopt;
    ObjectDetected* region = selectedObject();
    if (!duration || !duration->isNumeric() || !region) return;
    region->trimTime = region->trimWithin(atFraction(*duration, start), atFraction(*duration, end));
    changed();
}

std::optional<Image> CObject::renderRegions(const Image& source, const MediaTime& time,
                                            const Image& current, bool isExport,
                                            std::vector<Rect>* drawn) const {
    auto list = snapshot_.load();
    if (list->empty()) return current;
    auto asset = Manager::shared().asset();
    double frameDuration = asset ? asset->frameDuration() : 1.0 / 30;
    return ::renderRegions(*list, source, time, current, isExport, frameDuration, drawn);
}
