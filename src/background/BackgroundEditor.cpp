#include "background/BackgroundEditor.h"

#include <algorithm>
#include <cmath>

#include "core/Notifications.h"
#include "platform/image/ImageOps.h"
#include "platform/image/MaskOps.h"

namespace {

constexpr double SOFTNESS_SIGMA = 20;  // blur sigma, in pixels, of softness 1

void post(const NotificationName& name, NotificationCenter::Payload payload = std::nullopt) {
    NotificationCenter::defaultCenter().post(name, payload);
}

RegionStyle offStyle() {
    RegionStyle style;
    style.type = StyleKind::normal;
    return style;
}

// The outline blur for a softness; a negative, NaN or infinite softness keeps the cut hard.
double softnessSigma(double softness) {
    const double sigma = softness * SOFTNESS_SIGMA;
    return std::isfinite(sigma) && sigma > 0 ? sigma : 0;
}

}  // namespace

BackgroundEditor::BackgroundEditor() : style_(offStyle()) {
    publish();
}

BackgroundEditor::BackgroundEditor(PersonSegmentation::SegmenterFactory segmenters)
    : segmentation_(std::move(segmenters)), style_(offStyle()) {
    publish();
}

void BackgroundEditor::publish() {
    snapshot_.store(std::make_shared<const Look>(Look{style_, softness_}));
}

void BackgroundEditor::changed() {
    publish();
    post(Notifications::updateFilter);
}

void BackgroundEditor::load(RegionStyle style, double softness) {
    style_ = style;
    softness_ = softness;
    publish();
}

void BackgroundEditor::resetBackground() {
    style_.intensity = 0.5;
    style_.type = StyleKind::normal;
    softness_ = 0;
    publish();
}

void BackgroundEditor::beginBackgroundEdit(int index) {
    editSnapshotStyle_ = style_.styleCopy();
    editSnapshotSoftness_ = softness_;
    post(Notifications::onEditBackground, double(index));
}

void BackgroundEditor::cancelBackgroundEdit() {
    if (editSnapshotStyle_ && editSnapshotSoftness_) {
        style_ = *editSnapshotStyle_;
        softness_ = *editSnapshotSoftness_;
    }
    editSnapshotStyle_.reset();
    editSnapshotSoftness_.reset();
    publish();
    post(Notifications::offEditBackground);
    post(Notifications::updateFilter);
}

void BackgroundEditor::endBackgroundEdit() {
    editSnapshotStyle_.reset();
    editSnapshotSoftness_.reset();
    post(Notifications::offEditBackground);
}

void BackgroundEditor::setStyle(StyleKind type) {
    style_.type = type;
    changed();
}

void BackgroundEditor::setIntensity(double value) {
    if (style_.setIntensity(value)) changed();
}

void BackgroundEditor::setSoftness(double value) {
    softness_ = value;
    changed();
}

std::optional<Image> BackgroundEditor::render(const Image& source, const Image&,
                                              const FrameContext&, std::vector<Rect>* drawn) const {
    Image result = styledBackground(source);
    if (drawn && !result.sharesPixelsWith(source)) drawn->push_back(source.extent);
    return result;
}

Image BackgroundEditor::styledBackground(const Image& source) const {
    const auto look = snapshot_.load();
    if (look->style.type == StyleKind::normal || source.empty()) return source;
    auto mask = segmentation_.personMask(source);
    if (!mask) return source;
    // Soft mask: the hard outline blurred by the softness (the hard mask itself at softness 0).
    const Image softMask =
        ImageOps::gaussianBlur(MaskOps::asPicture(*mask), softnessSigma(look->softness));
    auto styled = look->style.apply(source);
    if (!styled || styled->empty()) return source;
    // The people cut out of the source and laid over the styled frame, in one pass: for the
    // opaque frames that decoders deliver, mixing by the mask is the same picture and saves a
    // full-frame pass.
    Image result = ImageOps::blendWithMask(source, softMask, *styled);
    if (result.empty()) return source;
    return result;
}
