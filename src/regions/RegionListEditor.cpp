#include "regions/RegionListEditor.h"

#include <utility>

#include "core/Notifications.h"

RegionListEditor::RegionListEditor(const CurrentSource& source, UserTrim userTrim,
                                   EditEvents events)
    : source_(source), userTrim_(userTrim), events_(events) {
    publish();
}

void RegionListEditor::load(std::vector<TrackedRegion> regions) {
    regions_ = std::move(regions);
    dropSelection();
    publish();
}

void RegionListEditor::dropSelection() {
    selectedIndex_.reset();
    editSnapshot_.reset();
    trimBeforeDrag_.reset();
}

void RegionListEditor::clear() {
    load({});
}

const TrackedRegion* RegionListEditor::selectedRegion() const {
    if (!selectedIndex_ || *selectedIndex_ < 0 || *selectedIndex_ >= int(regions_.size()))
        return nullptr;
    return &regions_[size_t(*selectedIndex_)];
}

TrackedRegion* RegionListEditor::selectedRegion() {
    return const_cast<TrackedRegion*>(std::as_const(*this).selectedRegion());
}

void RegionListEditor::publish() {
    snapshot_.store(std::make_shared<const std::vector<TrackedRegion>>(regions_));
}

void RegionListEditor::changed() {
    publish();
    NotificationCenter::defaultCenter().post(Notifications::updateFilter);
}

void RegionListEditor::select(int index) {
    if (index < 0 || index >= int(regions_.size())) return;
    selectedIndex_ = index;
    editSnapshot_ = regions_[size_t(index)].copy();
    trimBeforeDrag_.reset();
    NotificationCenter::defaultCenter().post(events_.began);
}

void RegionListEditor::cancelEdit() {
    if (TrackedRegion* region = selectedRegion(); region && editSnapshot_)
        *region = std::move(*editSnapshot_);
    dropSelection();
    publish();
    auto& center = NotificationCenter::defaultCenter();
    center.post(events_.ended);
    center.post(Notifications::updateFilter);
}

void RegionListEditor::finishEdit() {
    dropSelection();
    NotificationCenter::defaultCenter().post(events_.ended);
}

Cover RegionListEditor::selectedCover() const {
    const TrackedRegion* region = selectedRegion();
    return region ? region->cover : Cover::none;
}

void RegionListEditor::setCover(int raw) {
    auto cover = coverFromRaw(raw);
    TrackedRegion* region = selectedRegion();
    if (!cover || !region) return;
    region->cover = *cover;
    changed();
}

void RegionListEditor::setStyle(StyleKind style) {
    TrackedRegion* region = selectedRegion();
    if (!region) return;
    region->style.type = style;
    changed();
}

void RegionListEditor::setScale(double value) {
    TrackedRegion* region = selectedRegion();
    if (!region) return;
    region->scale = value;
    changed();
}

std::optional<TrimFractions> RegionListEditor::selectedTrimFractions() const {
    auto source = source_.get();
    auto duration = source ? source->duration() : std::nullopt;
    const TrackedRegion* region = selectedRegion();
    if (!duration || !duration->isNumeric() || !(duration->seconds() > 0) || !region)
        return std::nullopt;
    const double seconds = duration->seconds();
    return TrimFractions{
        region->trimTime.start.seconds() / seconds, region->trimTime.end().seconds() / seconds,
        region->startTime.seconds() / seconds, region->endTime.seconds() / seconds};
}

void RegionListEditor::beginTrim() {
    TrackedRegion* region = selectedRegion();
    if (!region) return;
    trimBeforeDrag_ = {region->trimTime, region->userTrimStart, region->userTrimEnd};
    region->userTrimStart.reset();
    region->userTrimEnd.reset();
    region->trimTime = region->trackedSpan();
    changed();
}

void RegionListEditor::trim(double from, double to) {
    auto source = source_.get();
    auto duration = source ? source->duration() : std::nullopt;
    TrackedRegion* region = selectedRegion();
    if (!duration || !duration->isNumeric() || !region) return;
    trimBeforeDrag_.reset();
    // A handle the trim bar put at an edge of the span (the fraction selectedTrimFractions gave)
    // stands exactly on it: the fraction turned back into the video's timescale could land a
    // tick inside the span and count as a trim.
    const double seconds = duration->seconds();
    const MediaTime start = from <= region->startTime.seconds() / seconds
                                ? region->startTime
                                : MediaTime::atFraction(*duration, from);
    const MediaTime end = to >= region->endTime.seconds() / seconds
                              ? region->endTime
                              : MediaTime::atFraction(*duration, to);
    const MediaTimeRange trim = region->trimWithin(start, end);
    if (userTrim_ == UserTrim::marksRegion)
        region->keepUserTrim(trim);
    else
        region->trimTime = trim;
    changed();
}

void RegionListEditor::cancelTrim() {
    TrackedRegion* region = selectedRegion();
    if (!region || !trimBeforeDrag_) return;
    region->userTrimStart = trimBeforeDrag_->userTrimStart;
    region->userTrimEnd = trimBeforeDrag_->userTrimEnd;
    // A face left untrimmed follows a span that the scan may have extended meanwhile.
    region->trimTime =
        userTrim_ == UserTrim::marksRegion ? region->userTrimmedSpan() : trimBeforeDrag_->trimTime;
    trimBeforeDrag_.reset();
    changed();
}

std::optional<Image> RegionListEditor::render(const Image& source, const Image& current,
                                              const FrameContext& context,
                                              std::vector<Rect>* drawn) const {
    auto list = snapshot_.load();
    if (list->empty()) return current;
    return renderRegions(*list, source, context.time, current, context.purpose,
                         context.frameDuration, drawn);
}
