#pragma once
// Driving widgets in the app tests: running Qt's event loop (and with it the main queue) until
// something holds, and finding a control by its accessible name.

#include <QApplication>
#include <QWidget>
#include <chrono>
#include <functional>
#include <ostream>

// Runs Qt's event loop until `done` or the timeout; true when done.
inline bool processUntil(const std::function<bool()>& done, double seconds = 5) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < deadline) {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
        if (done()) return true;
    }
    return done();
}

template <typename T>
T* byName(QWidget& window, const QString& name) {
    for (T* widget : window.findChildren<T*>())
        if (widget->accessibleName() == name) return widget;
    return nullptr;
}

// Readable failure messages.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
