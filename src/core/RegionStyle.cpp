#include "core/RegionStyle.h"

#include <algorithm>
#include <cmath>

#include "core/StyleCatalogue.h"
#include "platform/image/ImageOps.h"

double RegionStyle::frameScale(const Rect& extent) const {
    return std::max(extent.width / relativeSize.width, extent.height / relativeSize.height);
}

FilterParameters RegionStyle::parameters(const Rect& extent) const {
    FilterParameters params;
    if (type == StyleKind::bokeh) {
        params["inputRingSize"] = 0.5;
        params["inputSoftness"] = 0;
    }
    const StyleFilter& f = StyleCatalogue::entry(type);
    const auto driven = f.controlledInputs();
    if (!driven || f.fName.empty()) return params;
    const double s = frameScale(extent), c = intensity;
    for (const std::string& key : *driven) {
        const auto zero = f.zero.find(key);
        const auto range = f.range.find(key);
        if (zero == f.zero.end() || range == f.range.end()) continue;
        const double z = zero->second, lo = range->second.lowerBound, hi = range->second.upperBound;
        // Intensity starts at the range's bottom and spans from the filter's default upwards.
        const double span = z <= lo ? hi - lo : c > 0 ? hi - z : z - lo;
        params[key] = s * (lo + c * span);
    }
    return params;
}

std::optional<Image> RegionStyle::apply(const Image& image) const {
    if (image.empty()) return std::nullopt;
    if (type == StyleKind::normal) return image;
    return apply(image, image.extent);
}

std::optional<Image> RegionStyle::apply(const Image& image, const Rect& area) const {
    if (image.empty()) return std::nullopt;
    if (type == StyleKind::normal) return ImageOps::crop(image, area);
    const StyleFilter& f = StyleCatalogue::entry(type);
    const auto filter = ImageFilterRegistry::make(f.fName, parameters(image.extent));
    if (!filter) return std::nullopt;
    Image styled = filter->apply(image, area);
    if (styled.empty()) return std::nullopt;
    if (f.controlledInputs()) return styled;
    // Photo effects are mixed over the source with opacity = intensity.
    return ImageOps::fadedOver(styled, ImageOps::crop(image, area), intensity);
}

bool RegionStyle::setIntensity(double value) {
    if (std::isnan(value)) return false;
    intensity = std::clamp(value, 0.0, 1.0);
    return true;
}

RegionStyle RegionStyle::styleCopy() const {
    RegionStyle copy;
    copy.type = type;
    copy.intensity = std::clamp(intensity, 0.0, 1.0);
    return copy;
}
