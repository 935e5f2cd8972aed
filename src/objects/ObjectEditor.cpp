#include "objects/ObjectEditor.h"

#include <utility>

#include "core/Notifications.h"
#include "regions/EmojiCatalogue.h"

namespace {

void post(const NotificationName& name, NotificationCenter::Payload payload = std::nullopt) {
    NotificationCenter::defaultCenter().post(name, payload);
}

// One tracking run: the forward samples, then the backward ones in front of them.
struct TrackingRun {
    std::vector<RegionSample> samples;
    std::optional<Image> thumbnail;
};

}  // namespace

ObjectEditor::ObjectEditor(const CurrentSource& source, ObjectTrackingServices services)
    : RegionListEditor(source, UserTrim::leavesRegionUnmarked,
                       {Notifications::onEditObjects, Notifications::offEditObjects}),
      trackingRun_(std::move(services)) {}

void ObjectEditor::reset() {
    ++runGeneration_;
    trackingRun_.cancel();
    clear();
}

bool ObjectEditor::isTracking() const {
    return trackingRun_.isTracking();
}

void ObjectEditor::cancelTracking() {
    trackingRun_.cancel();
}

void ObjectEditor::trackObject(const Rect& rect, const MediaTime& time) {
    std::shared_ptr<const SourceVideo> video = source_.get();
    auto duration = video ? video->duration() : std::nullopt;
    auto rate = video ? video->nominalFrameRate() : std::nullopt;
    if (!duration || !duration->isNumeric() || !rate || !(*rate > 0) || trackingRun_.isTracking())
        return;
    const double frameDuration = 1.0 / *rate;
    const bool hdr = video->isHDR();
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
                                 emojis.empty() ? "" : emojis.front(), Cover::circle, hdr);
            region.updateTimeRange(duration, frameDuration);
            regions_.push_back(std::move(region));
            publish();
        }
        post(Notifications::endTrackingObject);
    };
    auto forwardDone = [this, run, video, time, rect, progress, cancelled, backwardDone](
                           std::deque<RegionSample> forward, std::optional<Image> thumbnail) {
        run->samples.assign(forward.begin(), forward.end());
        run->thumbnail = std::move(thumbnail);
        trackingRun_.trackBackward(video, MediaTime::zero(), time, rect, progress, backwardDone,
                                   cancelled);
    };
    trackingRun_.trackForward(video, time, rect, progress, forwardDone, cancelled);
}

void ObjectEditor::removeSelectedObject() {
    auto index = selectedIndex();
    if (!selectedRegion()) return;
    regions_.erase(regions_.begin() + *index);
    publish();
    post(Notifications::deleteObject);
    dropSelection();
    post(Notifications::updateFilter);
}
