#pragma once
// The tool panels' value slider: the ruler-like slider with a label of its value in percent
// ("%.0f" of value x 100). A value from the editor within 0.01 of the one shown is ignored, so
// the editor echoing the slider's own change back does not move the ruler under the user.
//
// Threads: the GUI thread's, like the widget that owns it.

#include <string>

#include "timeline/TickSliderModel.h"

class ValueSliderModel {
public:
    // The largest change from the editor that is ignored.
    static constexpr double IGNORED_CHANGE = 0.01;

    // From the editor: returns whether the slider moved (lay it out and redraw the label).
    bool setValue(double value);
    double value() const { return slider_.value(); }
    std::string label() const;

    // The user's scrolling and keys go to the slider; its changes go on to the editor.
    TickSliderModel& slider() { return slider_; }
    const TickSliderModel& slider() const { return slider_; }

private:
    TickSliderModel slider_;
};
