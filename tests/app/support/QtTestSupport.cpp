#include "QtTestSupport.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <chrono>
#include <memory>

#include "app/MainQueueBinding.h"

namespace {

// The application and the main queue on its event loop, made before the tests and gone before
// the program's static objects (Qt's own among them) are destroyed. Settings go to a folder of
// this process's own, never the user's: tests run as processes of their own, several at once,
// and one test's settings must not change under another's.
class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        QStandardPaths::setTestModeEnabled(true);
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings_.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings_.path());
        application_ = std::make_unique<QApplication>(argc_, argv_);
        QApplication::setOrganizationName("veilcut-tests");
        mainQueue_ = std::make_unique<MainQueueBinding>();
    }
    void TearDown() override {
        mainQueue_.reset();
        application_.reset();
    }

private:
    int argc_ = 1;
    char name_[10] = "tests_app";
    char* argv_[2] = {name_, nullptr};
    QTemporaryDir settings_;
    std::unique_ptr<QApplication> application_;
    std::unique_ptr<MainQueueBinding> mainQueue_;
};
[[maybe_unused]] auto* const qtEnvironment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

QString plain(QString title) {
    return title.remove('&').remove("...");
}

}  // namespace

bool processUntil(const std::function<bool()>& done, double seconds) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < deadline) {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
        if (done()) return true;
    }
    return done();
}

void trigger(QWidget& window, const QString& title) {
    for (QAction* action : window.findChildren<QAction*>())
        if (plain(action->text()) == plain(title)) return action->trigger();
    ADD_FAILURE() << "no action " << title.toStdString();
}

void clickAt(QWidget& widget, QPoint point) {
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
        mouse(widget, type, point);
}

void mouse(QWidget& widget, QEvent::Type type, QPointF at) {
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    const Qt::MouseButtons held =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, at, widget.mapToGlobal(at), button, held, Qt::NoModifier);
    QApplication::sendEvent(&widget, &event);
}

void key(QObject& target, int key, Qt::KeyboardModifiers modifiers, QEvent::Type type) {
    QKeyEvent event(type, key, modifiers);
    QApplication::sendEvent(&target, &event);
}

QPointF trimHandle(const QWidget& bar, double f) {
    return {8 + f * (bar.width() - 16 - 16) + 8, 18};
}

QWidget* shownWindow(const QString& name) {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->isVisible() && widget->accessibleName() == name) return widget;
    return nullptr;
}

void answerNextDialog(const QString& button, QString* seen) {
    auto* poll = new QTimer();
    QObject::connect(poll, &QTimer::timeout, [poll, button, seen] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (!dialog) return;
        for (QAbstractButton* candidate : dialog->findChildren<QAbstractButton*>()) {
            if (plain(candidate->text()) != plain(button)) continue;
            if (seen)
                *seen = dialog->accessibleName().isEmpty() ? dialog->windowTitle()
                                                           : dialog->accessibleName();
            poll->deleteLater();
            poll->stop();
            candidate->click();
            return;
        }
    });
    poll->start(20);
}
