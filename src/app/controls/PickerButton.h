#pragma once
// A button of the style and emoji pickers, drawn for the pickers' dark ground: a picture with
// its caption under it, or a text alone (an emoji) in the middle; the chosen one outlined in
// the highlight. Enter and Return pick it as Space does, and the arrows move the focus to the
// nearest shown button of its group that way, scrolling it into view (in an exclusive group
// Qt's own rule also picks it, as for radio buttons). GUI thread.

#include <QToolButton>

class PickerButton : public QToolButton {
    Q_OBJECT
public:
    explicit PickerButton(QWidget* parent = nullptr);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    QAbstractButton* neighbour(int key) const;
};
