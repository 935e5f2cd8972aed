#pragma once
// The enlargement control: one knob on a line sets how much a region is enlarged, from 0.5 to
// 3.0, shown as a whole percentage ("150%"). With W the line's width the knob's left edge runs
// from 0 to W - KNOB_WIDTH, linearly with the scale.
//
// Threads: the GUI thread's, like the widget that owns it.

#include <string>

#include "timeline/StepKey.h"

class ScaleBarModel {
public:
    static constexpr double KNOB_WIDTH = 18;
    static constexpr double MIN_SCALE = 0.5;
    static constexpr double MAX_SCALE = 3.0;
    // The arrows and Page Up/Down step the scale by these.
    static constexpr double STEP = 0.05;
    static constexpr double PAGE_STEP = 0.25;

    void setLineWidth(double width);
    // From the region: clamped to MIN_SCALE...MAX_SCALE; not a number is ignored.
    void setValue(double scale);
    double value() const { return value_; }
    // The knob's left edge, from the line's left edge.
    double knobLeft() const;
    // The whole percentage, truncated: "175%".
    std::string label() const;

    void beginDrag();
    // The pointer has moved `dx` pixels since the drag began: the new scale, to pass on at once.
    double dragBy(double dx);
    // The new scale, to pass on.
    double press(StepKey key);

private:
    double travel() const;

    double lineWidth_ = 0;
    double value_ = 1;
    double dragBegan_ = 0;  // the knob's left edge when the drag began
};
