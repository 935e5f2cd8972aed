#include "app/view/EditorWindow.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <chrono>

#include "app/MainQueueBinding.h"
#include "support/TestMedia.h"

namespace {

// The application and the main queue on its event loop, made before the tests and gone before
// the program's static objects (Qt's own among them) are destroyed.
class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        application_ = std::make_unique<QApplication>(argc_, argv_);
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
    std::unique_ptr<QApplication> application_;
    std::unique_ptr<MainQueueBinding> mainQueue_;
};
[[maybe_unused]] auto* const qtEnvironment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

// Runs Qt's event loop (and with it the main queue) until `done` or the timeout.
bool processUntil(const std::function<bool()>& done, double seconds = 5) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < deadline) {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
        if (done()) return true;
    }
    return done();
}

void trigger(QWidget& window, const QString& title) {
    for (QAction* action : window.findChildren<QAction*>())
        if (action->text().remove('&') == title) return action->trigger();
    ADD_FAILURE() << "no action " << title.toStdString();
}

template <typename T>
T* byName(QWidget& window, const QString& name) {
    for (T* widget : window.findChildren<T*>())
        if (widget->accessibleName() == name) return widget;
    return nullptr;
}

}  // namespace

TEST(EditorWindow, PlaysAndPausesTheOpenedVideoFromItsButton) {
    EditorWindow window;
    window.show();
    ASSERT_EQ(window.openFile(testMediaPath("noaudio.mp4")), std::nullopt);
    auto* play = byName<QPushButton>(window, "Play");
    auto* time = byName<QLabel>(window, "Time");
    ASSERT_TRUE(play && time);
    EXPECT_EQ(time->text(), "00:00 / 00:02");

    play->click();
    EXPECT_EQ(play->accessibleName(), "Pause");
    ASSERT_TRUE(processUntil([&] { return time->text().startsWith("00:01"); }))
        << time->text().toStdString();
    play->click();
    EXPECT_EQ(play->accessibleName(), "Play");
    const QString stopped = time->text();
    processUntil([] { return false; }, 0.3);
    EXPECT_EQ(time->text(), stopped);
}

TEST(EditorWindow, AFileThatCannotBeOpenedLeavesWhatWasOpen) {
    EditorWindow window;
    ASSERT_EQ(window.openFile(testMediaPath("noaudio.mp4")), std::nullopt);
    const QString title = window.windowTitle();
    auto problem = window.openFile(testMediaPath("garbage.mp4"));
    ASSERT_TRUE(problem);
    EXPECT_NE(problem->find("garbage.mp4"), std::string::npos) << *problem;
    EXPECT_EQ(window.windowTitle(), title);
    EXPECT_TRUE(byName<QPushButton>(window, "Play")->isEnabled());
}

TEST(EditorWindow, TheKeyboardMovesThePlayheadByFramesAndSecondsWithinTheVideo) {
    EditorWindow window;
    ASSERT_EQ(window.openFile(testMediaPath("noaudio.mp4")), std::nullopt);  // 2 s, 30 fps
    auto* time = byName<QLabel>(window, "Time");
    auto at = [&] { return time->text().left(5); };

    for (int i = 0; i < 29; ++i) trigger(window, "Next Frame");
    EXPECT_EQ(at(), "00:00");
    trigger(window, "Next Frame");
    EXPECT_EQ(at(), "00:01");
    trigger(window, "Previous Frame");
    EXPECT_EQ(at(), "00:00");
    trigger(window, "Forward One Second");
    trigger(window, "Forward One Second");
    EXPECT_EQ(at(), "00:01") << "past the end: the last frame";
    trigger(window, "Back One Second");
    trigger(window, "Back One Second");
    EXPECT_EQ(at(), "00:00");
    trigger(window, "Go to End");
    EXPECT_EQ(at(), "00:01");
    trigger(window, "Go to Start");
    EXPECT_EQ(at(), "00:00");

    // Moving while playing pauses first.
    byName<QPushButton>(window, "Play")->click();
    trigger(window, "Go to End");
    EXPECT_TRUE(byName<QPushButton>(window, "Play"));
}

TEST(EditorWindow, TheFaceScanStartsWithTheVideoAndShowsItsProgress) {
    EditorWindow window;
    ASSERT_EQ(window.openFile(testMediaPath("noaudio.mp4")), std::nullopt);
    auto* scan = byName<QLabel>(window, "Face scan");
    ASSERT_TRUE(scan);
    std::vector<QString> seen;
    ASSERT_TRUE(processUntil(
        [&] {
            if (seen.empty() || seen.back() != scan->text()) seen.push_back(scan->text());
            return scan->text() == "No Face Detected";
        },
        300))  // sanitizer builds scan many times slower
        << scan->text().toStdString();
    ASSERT_GE(seen.size(), 2u);
    EXPECT_TRUE(seen[seen.size() - 2].startsWith("Blur Face Processing..."))
        << seen[0].toStdString();
}
