#pragma once
// The ruler-like slider of the tool panels: a ruler of TICK_COUNT ticks, TICK_SPACING apart,
// scrolls under a mark fixed at the slider's centre; the value is the fraction of the ruler
// under the mark. Passing a tick is reported so the widget can highlight it.
//
// Geometry, in pixels of a slider w wide: the ruler point p (0...RULER_LENGTH) under the mark
// gives value p / RULER_LENGTH, and tick i stands at x = i * TICK_SPACING - p + w / 2.
//
// Threads: the GUI thread's, like the widget that owns it.

#include "timeline/StepKey.h"

class TickSliderModel {
public:
    static constexpr double RULER_LENGTH = 700;
    static constexpr double TICK_SPACING = 10;
    static constexpr int TICK_COUNT = 71;
    // The arrows and Page Up/Down step the value by these.
    static constexpr double STEP = 0.01;
    static constexpr double PAGE_STEP = 0.1;

    void setWidth(double width);
    double width() const { return width_; }
    // Lays the ruler out for `value` (clamped to 0...1): no tick is passed, nothing reported.
    void setValue(double value);
    double value() const { return position_ / RULER_LENGTH; }

    // Where tick i stands, and the fixed mark, in the slider's pixels.
    double tickX(int i) const;
    double markX() const { return width_ / 2; }
    // The tick passed last: the one to highlight.
    int currentTick() const { return currentTick_; }

    struct Change {
        double value = 0;
        bool tickPassed = false;
    };
    // The ruler scrolled by `dx` pixels (positive: towards its end, the value grows); it stops
    // at either end.
    Change scrollBy(double dx);
    Change press(StepKey key);

private:
    Change moveTo(double position);

    double width_ = 0;
    double position_ = 0;  // the ruler point under the mark
    int currentTick_ = 0;
};
