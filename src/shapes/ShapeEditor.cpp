#include "shapes/ShapeEditor.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "core/Notifications.h"
#include "regions/EmojiCatalogue.h"
#include "regions/LayerStack.h"
#include "regions/RegionLimits.h"

namespace {

void post(const NotificationName& name) {
    NotificationCenter::defaultCenter().post(name);
}

Rect fromTopLeft(const Rect& r) {
    return {r.x, 1 - (r.y + r.height), r.width, r.height};
}

std::optional<MediaTime> durationOf(const std::shared_ptr<SourceVideo>& source) {
    if (!source) return std::nullopt;
    auto d = source->duration();
    if (!d || !d->isNumeric()) return std::nullopt;
    return d;
}

}  // namespace

ShapeEditor::ShapeEditor(const CurrentSource& source) : source_(source) {
    publish();
}

void ShapeEditor::reset() {
    load({});
}

const Shape* ShapeEditor::selectedShape() const {
    if (!selectedShapeIndex_ || *selectedShapeIndex_ < 0 ||
        *selectedShapeIndex_ >= int(shapes_.size()))
        return nullptr;
    return &shapes_[size_t(*selectedShapeIndex_)];
}

Shape* ShapeEditor::selectedShape() {
    return const_cast<Shape*>(std::as_const(*this).selectedShape());
}

void ShapeEditor::load(ShapeList shapes) {
    shapes_ = std::move(shapes);
    selectedShapeIndex_.reset();
    addingShape_ = false;
    editingShape_.reset();
    selectedKeyframeIndex_.reset();
    publish();
}

void ShapeEditor::selectKeyframe(std::optional<int> index) {
    selectedKeyframeIndex_ = index;
}

void ShapeEditor::publish() {
    snapshot_.store(std::make_shared<const ShapeList>(shapes_));
}

void ShapeEditor::changed() {
    publish();
    post(Notifications::updateFilter);
}

void ShapeEditor::insertShape(const Rect& topLeftRect) {
    auto source = source_.get();
    auto duration = durationOf(source);
    if (!duration || shapes_.size() >= MAX_SHAPES) return;
    auto emojis = emojiList();
    bool hdr = source->isHDR();
    shapes_.emplace_back(MediaTimeRange{MediaTime(0, duration->timescale), *duration},
                         fromTopLeft(topLeftRect), emojis.empty() ? "" : emojis.front(), hdr);
    selectedShapeIndex_ = int(shapes_.size()) - 1;
    addingShape_ = true;
    post(Notifications::onEditShape);
    changed();
}

void ShapeEditor::removeNewShape() {
    selectedShapeIndex_.reset();
    addingShape_ = false;
    if (!shapes_.empty()) shapes_.pop_back();
    post(Notifications::cancelAddShape);
    changed();
}

void ShapeEditor::selectShape(int index) {
    if (index < 0 || index >= int(shapes_.size())) return;
    selectedShapeIndex_ = index;
    editingShape_ = shapes_[size_t(index)].copy();
    post(Notifications::onEditShape);
}

void ShapeEditor::cancelEditing() {
    if (addingShape_) {
        removeNewShape();
    } else {
        if (Shape* shape = selectedShape(); shape && editingShape_) *shape = *editingShape_;
        selectedShapeIndex_.reset();
        editingShape_.reset();
        changed();
    }
    post(Notifications::offEditShape);
}

void ShapeEditor::finishEditing() {
    if (!selectedShapeIndex_) return;
    selectedShapeIndex_.reset();
    if (addingShape_) {
        addingShape_ = false;
        post(Notifications::finishAddShape);
    } else {
        editingShape_.reset();
    }
    post(Notifications::offEditShape);
}

void ShapeEditor::removeSelectedShape() {
    if (!selectedShape()) return;
    shapes_.erase(shapes_.begin() + *selectedShapeIndex_);
    post(Notifications::deleteShape);
    post(Notifications::offEditShape);
    selectedShapeIndex_.reset();
    editingShape_.reset();
    changed();
}

void ShapeEditor::insertKeyframe(const MediaTime& time, const Rect& topLeftRect) {
    Shape* shape = selectedShape();
    if (!shape) return;
    shape->appendKeyframe(time, fromTopLeft(topLeftRect));
    post(Notifications::addKey);
    changed();
}

void ShapeEditor::removeSelectedKeyframe() {
    Shape* shape = selectedShape();
    if (!shape || !selectedKeyframeIndex_) return;
    int index = *selectedKeyframeIndex_;
    if (index >= 0 && index < int(shape->keyframes.size()))
        shape->keyframes.erase(shape->keyframes.begin() + index);
    post(Notifications::deleteKey);
    changed();
}

void ShapeEditor::updateSelectedKeyframe(const Rect& topLeftRect) {
    Shape* shape = selectedShape();
    if (!shape || !selectedKeyframeIndex_) return;
    shape->setKeyframeRect(*selectedKeyframeIndex_, fromTopLeft(topLeftRect));
    changed();
}

void ShapeEditor::moveKeyframe(int index, double fraction) {
    auto duration = durationOf(source_.get());
    Shape* shape = selectedShape();
    if (!duration || !shape) return;
    if (index >= 0 && index < int(shape->keyframes.size()))
        shape->keyframes[size_t(index)].time = MediaTime::atFraction(*duration, fraction);
    changed();
}

void ShapeEditor::changeTrimStart(double fraction) {
    auto duration = durationOf(source_.get());
    Shape* shape = selectedShape();
    if (!duration || !shape) return;
    MediaTime end = shape->trimTime.end();
    double s =
        std::min(MediaTime::atFraction(*duration, fraction).seconds(), end.seconds() - 0.5);
    MediaTime start = MediaTime::fromSeconds(std::max(s, 0.0), duration->timescale);
    shape->trimTime = {start, end - start};
    post(Notifications::changeTrimTime);
    changed();
}

void ShapeEditor::changeTrimEnd(double fraction) {
    auto duration = durationOf(source_.get());
    Shape* shape = selectedShape();
    if (!duration || !shape) return;
    MediaTime start = shape->trimTime.start;
    double e =
        std::max(MediaTime::atFraction(*duration, fraction).seconds(), start.seconds() + 0.5);
    e = std::min(e, shape->maxEndTime.seconds());
    shape->trimTime = {start, MediaTime::fromSeconds(e, duration->timescale) - start};
    post(Notifications::changeTrimTime);
    changed();
}

void ShapeEditor::setCover(int raw) {
    auto type = coverFromRaw(raw);
    Shape* shape = selectedShape();
    if (!type || !shape) return;
    shape->cover = *type;
    changed();
}

Cover ShapeEditor::selectedCover() const {
    const Shape* shape = selectedShape();
    return shape ? shape->cover : Cover::none;
}

std::optional<Image> ShapeEditor::render(const Image& source, const Image& current,
                                         const FrameContext& context,
                                         std::vector<Rect>* drawn) const {
    auto list = snapshot_.load();
    LayerStack layers(current, drawn);
    for (const Shape& shape : *list)
        if (auto layer = shape.layer(source, context.time, context.purpose))
            layers.push(std::move(*layer));
    return layers.result();
}
