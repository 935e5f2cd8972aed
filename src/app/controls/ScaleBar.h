#pragma once
// The enlargement control of the face and object panels: a knob on a line from 50% to 300%,
// its value written beside it (see ScaleBarModel). A press on the line away from the knob
// brings the knob there. The arrows step 5%, Page Up/Page Down 25%, Home/End go to either
// end. GUI thread.

#include <QWidget>

#include "timeline/ScaleBarModel.h"

class ScaleBar : public QWidget {
    Q_OBJECT
public:
    explicit ScaleBar(QWidget* parent = nullptr);
    // From the region; emits nothing.
    void setValue(double scale);
    double value() const { return model_.value(); }

    QSize sizeHint() const override { return {320, 36}; }
    QSize minimumSizeHint() const override { return {120, 36}; }

signals:
    // On every drag event, the press included, and on every key.
    void scaleChanged(double scale);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    static constexpr int PADDING = 8;
    static constexpr int LABEL_WIDTH = 52;

    double lineRight() const { return width() - PADDING - LABEL_WIDTH; }
    void changeTo(double scale);

    ScaleBarModel model_;
    bool dragging_ = false;
    // Where the drag began, plus how far the press moved the knob to come under the pointer.
    double dragFromX_ = 0;
};
