#pragma once
// The intensity and softness control of the tool panels: the ruler-like slider with its value
// in percent beside it (see ValueSliderModel). A value from the editor within 0.01 of the one
// shown is ignored, so the editor's echo of the user's change does not move the ruler. The
// keyboard is the ruler's (TickSlider). GUI thread.

#include <QWidget>

#include "timeline/ValueSliderModel.h"

class QLabel;
class TickSlider;

class ValueSlider : public QWidget {
    Q_OBJECT
public:
    // `accessibleName` names the control and its ruler ("Intensity").
    explicit ValueSlider(const QString& accessibleName, QWidget* parent = nullptr);
    // From the editor: clamped to 0...1; emits nothing.
    void setValue(double value);
    double value() const { return model_.value(); }

signals:
    void valueChanged(double value);
    void changeEnded();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void showLabel();

    ValueSliderModel model_;
    TickSlider* ruler_;
    QLabel* label_;
};
