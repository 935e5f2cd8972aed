#pragma once
// The trim bar of the face and object panels: a start and an end handle on a line, each with
// its time under it (see TrimBarModel for the geometry and the rules).
//
// Mouse: drag a handle; the preview should follow `seekRequested` and the trim changes only on
// release. Keyboard: the bar holds two focus stops, the start handle then the end handle; Tab
// moves from the start handle to the end handle and Shift+Tab back, leaving the bar past either
// end. The arrows move the focused handle one frame, Page Up/Page Down one second, Home/End to
// the ends of the region's range; each key press is a whole edit. Escape during a drag puts the
// handle back. GUI thread.

#include <QWidget>

#include "timeline/TrimBarModel.h"

class TrimBar : public QWidget {
    Q_OBJECT
public:
    explicit TrimBar(QWidget* parent = nullptr);
    // Shows a region's trim and range; ends a drag under way. Emits nothing, so call it when
    // the selection changes, not in answer to this bar's own signals.
    void setUp(const TrimBarSetup& setup);

    QSize sizeHint() const override { return {320, 56}; }
    QSize minimumSizeHint() const override { return {120, 56}; }

signals:
    // A handle drag began: show the region over its whole span meanwhile.
    void dragBegan();
    // Show the frame at this fraction of the video: while dragging, and on each key press.
    void seekRequested(double fraction);
    // The new trim, in order: on release, and on each key press.
    void trimCommitted(double from, double to);
    // Escape during a drag: the handle is back where it was, nothing was committed.
    void dragCancelled();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    // Pixels between the widget's edges and the model's line.
    static constexpr int PADDING = 8;

    QRectF handleRect(TrimHandle handle) const;
    void setFocusedHandle(TrimHandle handle);
    void describe();

    TrimBarModel model_;
    TrimHandle focused_ = TrimHandle::start;
    double dragFromX_ = 0;
};
