#pragma once
// What the app tests share: Qt's event loop run until a condition holds, menu commands
// triggered by title, widgets found by accessible name, and the next modal dialog answered.

#include <QEvent>
#include <QPoint>
#include <QString>
#include <QWidget>
#include <functional>
#include <ostream>

// Runs Qt's event loop (and with it the main queue) until `done` or the timeout.
bool processUntil(const std::function<bool()>& done, double seconds = 5);
// Triggers the menu command titled `title` (mnemonics and "..." ignored).
void trigger(QWidget& window, const QString& title);

template <typename T>
T* byName(QWidget& window, const QString& name) {
    for (T* widget : window.findChildren<T*>())
        if (widget->accessibleName() == name) return widget;
    return nullptr;
}

// A left click (press and release) at `point` of `widget`.
void clickAt(QWidget& widget, QPoint point);
// A mouse event of `type` at `at` of `widget`: the left button pressed, held while moving, or
// released.
void mouse(QWidget& widget, QEvent::Type type, QPointF at);
// A key pressed (or released, with `type`) on `target`, a widget or a window.
void key(QObject& target, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
         QEvent::Type type = QEvent::KeyPress);
// The centre of a trim bar's handle at fraction `f` of the video: the bar's line runs 8 pixels
// in from its edges and a handle is 16 wide.
QPointF trimHandle(const QWidget& bar, double f);
// A top-level window with this accessible name that is showing, or null.
QWidget* shownWindow(const QString& name);
// When the next modal dialog opens, clicks its button titled `button`; records the dialog's
// accessible name (or its title) in `seen` when given.
void answerNextDialog(const QString& button, QString* seen = nullptr);

// Readable failure messages.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
