#pragma once
// A ring that fills clockwise from the top as a long job goes on (0...1), for the saving
// overlay. GUI thread.

#include <QWidget>

class ProgressRing : public QWidget {
    Q_OBJECT
public:
    explicit ProgressRing(QWidget* parent = nullptr);
    // Clamped to 0...1; NaN counts as 0.
    void setValue(double fraction);
    double value() const { return value_; }
    QSize sizeHint() const override { return {96, 96}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double value_ = 0;
};
