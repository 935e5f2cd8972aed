#pragma once
// The trim bar: a start and an end handle on a line choose the part of a region's span in which
// it is hidden. Handles stand at fractions of the video and never leave the range in which the
// region exists; they may cross, and the trim is always reported in order. While a handle is
// dragged the preview shows the handle's time; the trim is committed only on release.
//
// Geometry, in pixels of the line: with W the line's width and T = W - HANDLE_WIDTH the usable
// track, a handle at fraction f has its left edge at f * T. The highlight joins the two handle
// centres. Each label shows its handle's time and sits under it, the two pushed apart within the
// line when they would overlap.
//
// Threads: the GUI thread's, like the widget that owns it.

#include <optional>
#include <string>

#include "timeline/StepKey.h"

enum class TrimHandle { start, end };

// A trim as the editor takes it: fractions of the video, from <= to.
struct TrimRange {
    double from = 0;
    double to = 1;
};

// Where the trim stands and the range its handles may not leave, as fractions of the video;
// the video's length, for the labels and the key steps.
struct TrimBarSetup {
    double start = 0;
    double end = 1;
    double minStart = 0;
    double maxEnd = 1;
    double durationSeconds = 0;
    double frameSeconds = 1.0 / 30;
};

class TrimBarModel {
public:
    static constexpr double HANDLE_WIDTH = 16;
    // The least space between the two labels.
    static constexpr double LABEL_GAP = 4;
    // Page Up and Page Down move a handle this far; the arrows move it one frame.
    static constexpr double PAGE_STEP_SECONDS = 1;

    // Places the handles (kept within the range) and ends any drag.
    void setUp(const TrimBarSetup& setup);
    void setLineWidth(double width);

    double fraction(TrimHandle handle) const;
    // The trim the handles give, in order.
    TrimRange trim() const;
    // The left edge of the handle, from the line's left edge.
    double handleLeft(TrimHandle handle) const;
    struct Span {
        double left = 0;
        double width = 0;
    };
    // The highlight between the two handle centres.
    Span highlight() const;
    // The handle whose box holds `x`; where both do, the one whose centre is nearer (the end
    // handle, drawn over the other, on a tie).
    std::optional<TrimHandle> handleAt(double x) const;

    // The time under the handle, "%2d:%02d".
    std::string label(TrimHandle handle) const;
    struct LabelLefts {
        double start = 0;
        double end = 0;
    };
    // The left edges of the two labels, given their widths: under their handles when there is
    // room, otherwise apart by LABEL_GAP about the handles' midpoint; inside the line whenever
    // both fit in it.
    LabelLefts labelLefts(double startWidth, double endWidth) const;

    // A drag of `handle` begins: the region should be shown over its whole span meanwhile.
    void beginDrag(TrimHandle handle);
    // The pointer has moved `dx` pixels along the line since the drag began. Returns the
    // fraction of the video the preview should show: the dragged handle's; none without a drag.
    std::optional<double> dragBy(double dx);
    // The drag ends with a release: the trim to commit.
    TrimRange endDrag();
    // The drag is given up: the handle goes back to where it was.
    void cancelDrag();
    bool isDragging() const { return dragged_.has_value(); }

    // A key on `handle`: one frame, PAGE_STEP_SECONDS, or to the end of the allowed range.
    // Each press is a whole edit: returns the trim to commit (show the handle's time too).
    TrimRange press(TrimHandle handle, StepKey key);

private:
    double& fractionOf(TrimHandle handle);
    double track() const;
    double clampToRange(double f) const;

    TrimBarSetup setup_;
    double lineWidth_ = 0;
    double start_ = 0;
    double end_ = 1;
    std::optional<TrimHandle> dragged_;
    double dragBegan_ = 0;  // the dragged handle's fraction when the drag began
};
