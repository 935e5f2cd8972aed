#include "timeline/ScaleBarModel.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// Scales such as 0.58 are a hair below their percentage in binary; truncating must not show 57.
constexpr double PERCENT_ROUNDING_SLACK = 1e-9;

}  // namespace

void ScaleBarModel::setLineWidth(double width) {
    if (std::isfinite(width)) lineWidth_ = std::max(0.0, width);
}

void ScaleBarModel::setValue(double scale) {
    if (!std::isnan(scale)) value_ = std::clamp(scale, MIN_SCALE, MAX_SCALE);
}

double ScaleBarModel::travel() const {
    return std::max(0.0, lineWidth_ - KNOB_WIDTH);
}

double ScaleBarModel::knobLeft() const {
    return (value_ - MIN_SCALE) / (MAX_SCALE - MIN_SCALE) * travel();
}

std::string ScaleBarModel::label() const {
    char text[16];
    std::snprintf(text, sizeof text, "%d%%",
                  int(std::floor(value_ * 100 + PERCENT_ROUNDING_SLACK)));
    return text;
}

void ScaleBarModel::beginDrag() {
    dragBegan_ = knobLeft();
}

double ScaleBarModel::dragBy(double dx) {
    if (travel() > 0 && std::isfinite(dx)) {
        const double offset = std::clamp(dragBegan_ + dx, 0.0, travel());
        value_ = MIN_SCALE + (MAX_SCALE - MIN_SCALE) * offset / travel();
    }
    return value_;
}

double ScaleBarModel::press(StepKey key) {
    switch (key) {
        case StepKey::back:
            setValue(value_ - STEP);
            break;
        case StepKey::forward:
            setValue(value_ + STEP);
            break;
        case StepKey::pageBack:
            setValue(value_ - PAGE_STEP);
            break;
        case StepKey::pageForward:
            setValue(value_ + PAGE_STEP);
            break;
        case StepKey::first:
            setValue(MIN_SCALE);
            break;
        case StepKey::last:
            setValue(MAX_SCALE);
            break;
    }
    return value_;
}
