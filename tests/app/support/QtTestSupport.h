#pragma once
// What the app tests share: Qt's event loop run until a condition holds, menu commands
// triggered by title, widgets found by accessible name, and the next modal dialog answered.

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
// A top-level window with this accessible name that is showing, or null.
QWidget* shownWindow(const QString& name);
// When the next modal dialog opens, clicks its button titled `button`; records the dialog's
// accessible name (or its title) in `seen` when given.
void answerNextDialog(const QString& button, QString* seen = nullptr);

// Readable failure messages.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
