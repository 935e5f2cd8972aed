#pragma once
// A button of the style and emoji pickers: Enter and Return pick it as Space does, and the
// arrows move among the buttons of its group (Qt's own rule for grouped buttons). GUI thread.

#include <QToolButton>

class PickerButton : public QToolButton {
    Q_OBJECT
public:
    explicit PickerButton(QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};
