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

BackgroundEditor::BackgroundEditor() : style(offStyle()) {
    publish();
}

BackgroundEditor::BackgroundEditor(PersonSegmentation::SegmenterFactory segmenters)
    : segmentation(std::move(segmenters)), style(offStyle()) {
    publish();
}

void BackgroundEditor::publish() {
    snapshot_.store(std::make_shared<const Look>(Look{style, softness}));
}

void BackgroundEditor::changed() {
    publish();
    post(Notifications::updateFilter);
}

void BackgroundEditor::resetBackground() {
    style.intensity = 0.5;
    style.type = StyleKind::normal;
    softness = 0;
    publish();
}

void BackgroundEditor::beginBackgroundEdit(int index) {
    editSnapshotStyle = style.styleCopy();
    editSnapshotSoftness = softness;
    post(Notifications::onEditBackground, double(index));
}

void BackgroundEditor::cancelBackgroundEdit() {
    if (editSnapshotStyle && editSnapshotSoftness) {
        style = *editSnapshotStyle;
        softness = *editSnapshotSoftness;
    }
    editSnapshotStyle.reset();
    editSnapshotSoftness.reset();
    publish();
    post(Notifications::offEditBackground);
    post(Notifications::updateFilter);
}

void BackgroundEditor::endBackgroundEdit() {
    editSnapshotStyle.reset();
    editSnapshotSoftness.reset();
    post(Notifications::offEditBackground);
}

void BackgroundEditor::setStyle(StyleKind type) {
    style.type = type;
    changed();
}

void BackgroundEditor::setIntensity(double value) {
    if (style.setIntensity(value)) changed();
}

void BackgroundEditor::setSoftness(double value) {
    softness = value;
    changed();
}

std::optional<Image> BackgroundEditor::render(const Image& source, const Image&,
                                              const FrameContext&,
                                              std::vector<Rect>* drawn) const {
    Image result = styledBackground(source);
    if (drawn && !result.sharesPixelsWith(source)) drawn->push_back(source.extent);
    return result;
}

Image BackgroundEditor::styledBackground(const Image& source) const {
    const auto look = snapshot_.load();
    if (look->style.type == StyleKind::normal || source.empty()) return source;
    auto mask = segmentation.personMask(source);
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
