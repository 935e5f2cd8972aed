#include "timeline/ValueSliderModel.h"

#include <cmath>
#include <cstdio>

namespace {

// Differences of exactly 0.01 come out a hair larger in binary; they still count as 0.01.
constexpr double COMPARISON_SLACK = 1e-9;

}  // namespace

bool ValueSliderModel::setValue(double value) {
    if (std::isnan(value) ||
        std::fabs(value - slider_.value()) <= IGNORED_CHANGE + COMPARISON_SLACK)
        return false;
    slider_.setValue(value);
    return true;
}

std::string ValueSliderModel::label() const {
    char text[16];
    std::snprintf(text, sizeof text, "%.0f", value() * 100);
    return text;
}
