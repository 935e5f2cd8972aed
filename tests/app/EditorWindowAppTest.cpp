#include "app/view/EditorWindow.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPushButton>

#include "app/home/HomeScreen.h"
#include "app/support/QtTestSupport.h"
#include "support/TestMedia.h"

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

TEST(EditorWindow, StartsOnTheHomeScreenOpensWhatIsPickedAndClosesBackToIt) {
    EditorWindow window;
    window.show();
    auto* home = byName<HomeScreen>(window, "Home");
    ASSERT_TRUE(home);
    EXPECT_TRUE(home->isVisible());

    // A file that cannot be opened: the reason, and the library stays.
    QString seen;
    answerNextDialog("OK", &seen);
    emit home->openRequested(QString::fromStdString(testMediaPath("garbage.mp4")));
    EXPECT_EQ(seen, "Cannot Open");
    EXPECT_TRUE(home->isVisible());

    emit home->openRequested(QString::fromStdString(testMediaPath("noaudio.mp4")));
    EXPECT_FALSE(home->isVisible());
    EXPECT_TRUE(byName<QPushButton>(window, "Play")->isVisible());
    byName<QPushButton>(window, "Close Editor")->click();
    EXPECT_TRUE(home->isVisible()) << "nothing unsaved: closes without asking";
}
