#include "background/CBackground.h"

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

ModelFilterManager offStyle() {
    ModelFilterManager style;
    style.type = ModelFilterType::normal;
    return style;
}

// The outline blur for a softness; a negative, NaN or infinite softness keeps the cut hard.
double softnessSigma(double softness) {
    const double sigma = softness * SOFTNESS_SIGMA;
    return std::isfinite(sigma) && sigma > 0 ? sigma : 0;
}

}  // namespace

CBackground::CBackground() : modelFilterManager(offStyle()) {
    publish();
}

CBackground::CBackground(BackgroundDetectorProcessor::SegmenterFactory segmenters)
    : backgroundDetector(std::move(segmenters)), modelFilterManager(offStyle()) {
    publish();
}

void CBackground::publish() {
    snapshot_.store(std::make_shared<const Look>(Look{modelFilterManager, softness}));
}

void CBackground::changed() {
    publish();
    post(Notifications::updateFilter);
}

void CBackground::resetBackground() {
    modelFilterManager.current = 0.5;
    modelFilterManager.type = ModelFilterType::normal;
    softness = 0;
    publish();
}

void CBackground::beginBackgroundEdit(int index) {
    editingModelFilter = modelFilterManager.styleCopy();
    editingSoftness = softness;
    post(Notifications::onEditBackground, double(index));
}

void CBackground::cancelBackgroundEdit() {
    if (editingModelFilter && editingSoftness) {
        modelFilterManager = *editingModelFilter;
        softness = *editingSoftness;
    }
    editingModelFilter.reset();
    editingSoftness.reset();
    publish();
    post(Notifications::offEditBackground);
    post(Notifications::updateFilter);
}

void CBackground::endBackgroundEdit() {
    editingModelFilter.reset();
    editingSoftness.reset();
    post(Notifications::offEditBackground);
}

void CBackground::setStyle(ModelFilterType type) {
    modelFilterManager.type = type;
    changed();
}

void CBackground::setIntensity(double value) {
    if (modelFilterManager.setIntensity(value)) changed();
}

void CBackground::setSoftness(double value) {
    softness = value;
    changed();
}

std::optional<Image> CBackground::applyBlur(const Image& source) const {
    const auto look = snapshot_.load();
    if (look->style.type == ModelFilterType::normal || source.empty()) return source;
    auto mask = backgroundDetector.personMask(source);
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
