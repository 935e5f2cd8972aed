#include "objects/ObjectEditor.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "core/Notifications.h"
#include "regions/EmojiCatalogue.h"

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
    std::vector<RegionSample> samples;
    std::optional<Image> thumbnail;
};

}  // namespace

ObjectEditor::ObjectEditor(const CurrentSource& source, ObjectTrackingServices services)
    : trackingRun(std::move(services)), source_(source) {
    publish();
}

void ObjectEditor::reset() {
    ++runGeneration_;
    trackingRun.cancel();
    objects.clear();
    selectedObjectIndex.reset();
    editSnapshot.reset();
    publish();
}

const TrackedRegion* ObjectEditor::selectedObject() const {
    if (!selectedObjectIndex || *selectedObjectIndex < 0 ||
        *selectedObjectIndex >= int(objects.size()))
        return nullptr;
    return &objects[size_t(*selectedObjectIndex)];
}

TrackedRegion* ObjectEditor::selectedObject() {
    return const_cast<TrackedRegion*>(std::as_const(*this).selectedObject());
}

void ObjectEditor::publish() {
    snapshot_.store(std::make_shared<const std::vector<TrackedRegion>>(objects));
}

void ObjectEditor::changed() {
    publish();
    post(Notifications::updateFilter);
}

void ObjectEditor::trackObject(const Rect& rect, const MediaTime& time) {
    std::shared_ptr<const SourceVideo> asset = source_.get();
    auto duration = asset ? asset->duration() : std::nullopt;
    auto rate = asset ? asset->nominalFrameRate() : std::nullopt;
    if (!duration || !duration->isNumeric() || !rate || !(*rate > 0) || trackingRun.isTracking())
        return;
    const double frameDuration = 1.0 / *rate;
    const bool hdr = asset->isHDR();
    auto run = std::make_shared<TrackingRun>();
    const uint64_t generation = runGeneration_;
    post(Notifications::tracking, 0.0);

    auto progress = [](double fraction) { post(Notifications::tracking, fraction); };
    auto cancelled = [] { post(Notifications::endTrackingObject); };
    auto backwardDone = [this, run, generation, duration = *duration, frameDuration, hdr](
                            std::deque<RegionSample> backward, std::optional<Image> thumbnail) {
        run->samples.insert(run->samples.begin(), backward.begin(), backward.end());
        if (!run->thumbnail) run->thumbnail = std::move(thumbnail);
        if (run->thumbnail && generation == runGeneration_) {
            auto emojis = emojiList();
            TrackedRegion region(std::move(run->samples), *run->thumbnail,
                                  emojis.empty() ? "" : emojis.front(), Cover::circle,
                                  hdr);
            region.updateTimeRange(duration, frameDuration);
            objects.push_back(std::move(region));
            publish();
        }
        post(Notifications::endTrackingObject);
    };
    auto forwardDone = [this, run, asset, time, rect, progress, cancelled, backwardDone](
                           std::deque<RegionSample> forward, std::optional<Image> thumbnail) {
        run->samples.assign(forward.begin(), forward.end());
        run->thumbnail = std::move(thumbnail);
        trackingRun.trackBackward(asset, MediaTime::zero(), time, rect, progress, backwardDone,
                                     cancelled);
    };
    trackingRun.trackForward(asset, time, rect, progress, forwardDone, cancelled);
}

void ObjectEditor::selectObject(int index) {
    if (index < 0 || index >= int(objects.size())) return;
    selectedObjectIndex = index;
    editSnapshot = objects[size_t(index)].copy();
    post(Notifications::onEditObjects);
}

void ObjectEditor::cancelEditing() {
    if (TrackedRegion* region = selectedObject(); region && editSnapshot)
        *region = *editSnapshot;
    selectedObjectIndex.reset();
    editSnapshot.reset();
    publish();
    post(Notifications::offEditObjects);
    post(Notifications::updateFilter);
}

void ObjectEditor::finishEditing() {
    selectedObjectIndex.reset();
    editSnapshot.reset();
    post(Notifications::offEditObjects);
}

void ObjectEditor::removeSelectedObject() {
    if (!selectedObject()) return;
    objects.erase(objects.begin() + *selectedObjectIndex);
    publish();
    post(Notifications::deleteObject);
    selectedObjectIndex.reset();
    editSnapshot.reset();
    post(Notifications::updateFilter);
}

Cover ObjectEditor::selectedCover() const {
    const TrackedRegion* region = selectedObject();
    return region ? region->cover : Cover::none;
}

void ObjectEditor::changeTrim(double start, double end) {
    auto asset = source_.get();
    auto duration = asset ? asset->duration() : std::nullopt;
    TrackedRegion* region = selectedObject();
    if (!duration || !duration->isNumeric() || !region) return;
    region->trimTime = region->trimWithin(atFraction(*duration, start), atFraction(*duration, end));
    changed();
}

std::optional<Image> ObjectEditor::render(const Image& source, const Image& current,
                                          const FrameContext& context,
                                          std::vector<Rect>* drawn) const {
    auto list = snapshot_.load();
    if (list->empty()) return current;
    return renderRegions(*list, source, context.time, current, context.purpose,
                         context.frameDuration, drawn);
}
