#include "timeline/TrimBarModel.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "timeline/TimeLabel.h"

namespace {

double finiteOr(double value, double fallback) {
    return std::isfinite(value) ? value : fallback;
}

}  // namespace

void TrimBarModel::setUp(const TrimBarSetup& setup) {
    setup_ = setup;
    setup_.minStart = std::clamp(finiteOr(setup.minStart, 0), 0.0, 1.0);
    setup_.maxEnd = std::clamp(finiteOr(setup.maxEnd, 1), 0.0, 1.0);
    if (setup_.maxEnd < setup_.minStart) std::swap(setup_.minStart, setup_.maxEnd);
    start_ = clampToRange(finiteOr(setup.start, setup_.minStart));
    end_ = clampToRange(finiteOr(setup.end, setup_.maxEnd));
    dragged_.reset();
}

void TrimBarModel::setLineWidth(double width) {
    lineWidth_ = std::max(0.0, finiteOr(width, 0));
}

double TrimBarModel::track() const {
    return lineWidth_ - HANDLE_WIDTH;
}

double TrimBarModel::clampToRange(double f) const {
    return std::clamp(f, setup_.minStart, setup_.maxEnd);
}

double& TrimBarModel::fractionOf(TrimHandle handle) {
    return handle == TrimHandle::start ? start_ : end_;
}

double TrimBarModel::fraction(TrimHandle handle) const {
    return handle == TrimHandle::start ? start_ : end_;
}

TrimRange TrimBarModel::trim() const {
    return {std::min(start_, end_), std::max(start_, end_)};
}

double TrimBarModel::handleLeft(TrimHandle handle) const {
    return fraction(handle) * std::max(0.0, track());
}

TrimBarModel::Span TrimBarModel::highlight() const {
    const double a = handleLeft(TrimHandle::start), b = handleLeft(TrimHandle::end);
    return {std::min(a, b) + HANDLE_WIDTH / 2, std::fabs(b - a)};
}

std::optional<TrimHandle> TrimBarModel::handleAt(double x) const {
    auto distance = [&](TrimHandle h) { return std::fabs(x - (handleLeft(h) + HANDLE_WIDTH / 2)); };
    const double toStart = distance(TrimHandle::start), toEnd = distance(TrimHandle::end);
    const double reach = HANDLE_WIDTH / 2;
    if (toEnd <= reach && toEnd <= toStart) return TrimHandle::end;
    if (toStart <= reach) return TrimHandle::start;
    return std::nullopt;
}

std::string TrimBarModel::label(TrimHandle handle) const {
    return trimTimeLabel(fraction(handle) * setup_.durationSeconds);
}

TrimBarModel::LabelLefts TrimBarModel::labelLefts(double startWidth, double endWidth) const {
    // Work left to right: the label of the handle further left goes first.
    const bool startFirst = start_ <= end_;
    const TrimHandle leftHandle = startFirst ? TrimHandle::start : TrimHandle::end;
    const TrimHandle rightHandle = startFirst ? TrimHandle::end : TrimHandle::start;
    const double leftWidth = startFirst ? startWidth : endWidth;
    const double rightWidth = startFirst ? endWidth : startWidth;
    const double leftCentre = handleLeft(leftHandle) + HANDLE_WIDTH / 2;
    const double rightCentre = handleLeft(rightHandle) + HANDLE_WIDTH / 2;

    double a = std::max(0.0, leftCentre - leftWidth / 2);
    double b = std::min(lineWidth_ - rightWidth, rightCentre - rightWidth / 2);
    if (a + leftWidth + LABEL_GAP > b) {
        const double middle = (leftCentre + rightCentre) / 2;
        a = middle - LABEL_GAP / 2 - leftWidth;
        b = middle + LABEL_GAP / 2;
        const double overRight = b + rightWidth - lineWidth_;
        if (overRight > 0) {
            a -= overRight;
            b -= overRight;
        }
        if (a < 0) {
            b -= a;
            a = 0;
        }
    }
    return startFirst ? LabelLefts{a, b} : LabelLefts{b, a};
}

void TrimBarModel::beginDrag(TrimHandle handle) {
    dragged_ = handle;
    dragBegan_ = fraction(handle);
}

std::optional<double> TrimBarModel::dragBy(double dx) {
    if (!dragged_) return std::nullopt;
    double& f = fractionOf(*dragged_);
    if (track() > 0 && std::isfinite(dx)) f = clampToRange(dragBegan_ + dx / track());
    return f;
}

TrimRange TrimBarModel::endDrag() {
    dragged_.reset();
    return trim();
}

void TrimBarModel::cancelDrag() {
    if (!dragged_) return;
    fractionOf(*dragged_) = dragBegan_;
    dragged_.reset();
}

TrimRange TrimBarModel::press(TrimHandle handle, StepKey key) {
    const double seconds = setup_.durationSeconds;
    const double frame = seconds > 0 ? setup_.frameSeconds / seconds : 0;
    const double page = seconds > 0 ? PAGE_STEP_SECONDS / seconds : 0;
    double& f = fractionOf(handle);
    switch (key) {
        case StepKey::back:
            f -= frame;
            break;
        case StepKey::forward:
            f += frame;
            break;
        case StepKey::pageBack:
            f -= page;
            break;
        case StepKey::pageForward:
            f += page;
            break;
        case StepKey::first:
            f = setup_.minStart;
            break;
        case StepKey::last:
            f = setup_.maxEnd;
            break;
    }
    f = clampToRange(finiteOr(f, setup_.minStart));
    return trim();
}
