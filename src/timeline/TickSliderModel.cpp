#include "timeline/TickSliderModel.h"

#include <algorithm>
#include <cmath>

namespace {

int tickAt(double position) {
    return int(position / TickSliderModel::TICK_SPACING);
}

}  // namespace

void TickSliderModel::setWidth(double width) {
    if (std::isfinite(width)) width_ = std::max(0.0, width);
}

void TickSliderModel::setValue(double value) {
    if (std::isnan(value)) return;
    position_ = std::clamp(value, 0.0, 1.0) * RULER_LENGTH;
    currentTick_ = tickAt(position_);
}

double TickSliderModel::tickX(int i) const {
    return i * TICK_SPACING - position_ + width_ / 2;
}

TickSliderModel::Change TickSliderModel::moveTo(double position) {
    if (std::isfinite(position)) position_ = std::clamp(position, 0.0, RULER_LENGTH);
    const int tick = tickAt(position_);
    const bool passed = tick != currentTick_;
    currentTick_ = tick;
    return {value(), passed};
}

TickSliderModel::Change TickSliderModel::scrollBy(double dx) {
    return moveTo(position_ + dx);
}

TickSliderModel::Change TickSliderModel::press(StepKey key) {
    switch (key) {
        case StepKey::back:
            return moveTo(position_ - STEP * RULER_LENGTH);
        case StepKey::forward:
            return moveTo(position_ + STEP * RULER_LENGTH);
        case StepKey::pageBack:
            return moveTo(position_ - PAGE_STEP * RULER_LENGTH);
        case StepKey::pageForward:
            return moveTo(position_ + PAGE_STEP * RULER_LENGTH);
        case StepKey::first:
            return moveTo(0);
        case StepKey::last:
            return moveTo(RULER_LENGTH);
    }
    return {value(), false};
}
