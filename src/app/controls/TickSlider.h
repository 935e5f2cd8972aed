#pragma once
// The ruler-like slider: a ruler of ticks scrolls under a mark fixed at the centre, and the
// value is the fraction of the ruler under the mark (see TickSliderModel). The last tick the
// ruler passed is highlighted. Dragging and the wheel scroll the ruler; the arrows step 1%,
// Page Up/Page Down 10%, Home/End go to either end. GUI thread.

#include <QWidget>

#include <memory>

class QTimer;
class TickSliderModel;

class TickSlider : public QWidget {
    Q_OBJECT
public:
    explicit TickSlider(QWidget* parent = nullptr);
    // Drives `model`, which must outlive the slider: for a control that keeps the slider's
    // model inside its own.
    TickSlider(TickSliderModel& model, QWidget* parent);
    ~TickSlider() override;

    // Lays the ruler out for `value` (clamped to 0...1); emits nothing.
    void setValue(double value);
    double value() const;

    QSize sizeHint() const override { return {300, 40}; }
    QSize minimumSizeHint() const override { return {80, 40}; }

signals:
    // The user moved the ruler.
    void valueChanged(double value);
    // The user let go: a release, a key press, or a pause in the wheel's turning.
    void changeEnded();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    TickSlider(std::unique_ptr<TickSliderModel> own, QWidget* parent);
    void report(double before);

    std::unique_ptr<TickSliderModel> own_;
    TickSliderModel& model_;
    QTimer* wheelPause_;
    bool dragging_ = false;
    double lastX_ = 0;
};
