#include "app/view/EditingScreen.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QSlider>
#include <QToolButton>
#include <filesystem>

#include "app/support/QtTestSupport.h"
#include "app/view/EditorWindow.h"
#include "core/RegionStyle.h"
#include "session/EditSession.h"
#include "support/TempFolder.h"
#include "support/TestMedia.h"

namespace fs = std::filesystem;

namespace {

// A window on a copy of a test clip in a folder of its own (the clip's "album").
struct EditingScreenTest : ::testing::Test {
    void SetUp() override {
        QSettings().setValue("didRate", true);
        fs::copy_file(testMediaPath("noaudio.mp4"), video);
        ASSERT_EQ(window.openFile(video), std::nullopt);
        window.show();
    }
    void TearDown() override {
        // Whatever a test left unsaved is dropped without asking.
        window.editingScreen().closeVideo();
        for (QWidget* shown : QApplication::topLevelWidgets())
            if (shown != &window && shown->isVisible()) shown->close();
    }
    EditSession& session() { return *window.editingScreen().session(); }
    // An edit that the close guard counts as work: a styled background.
    void styleBackground(StyleKind kind = StyleKind::pixellate) {
        RegionStyle style;
        style.type = kind;
        session().backgroundEditor().load(style, 0.5);
    }
    std::vector<std::string> filesInAlbum() const {
        std::vector<std::string> names;
        for (auto& entry : fs::directory_iterator(album.path()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    bool saveToLibrary() {
        answerNextDialog("Save to Library");
        byName<QPushButton>(window, "Save Video")->click();
        return processUntil([] { return shownWindow("Video Saved") != nullptr; }, 240);
    }

    TempFolder album{"album"};
    TempFolder autosaves{"autosave"};
    std::string video = album.file("holiday.mp4");
    EditorWindow window{nullptr, autosaves.path().string()};
};

}  // namespace

TEST_F(EditingScreenTest, TheToolBarChoosesEachToolAndTheTitleFollows) {
    auto* title = byName<QLabel>(window, "Tool title");
    ASSERT_TRUE(title);
    EXPECT_EQ(title->text(), "VIDEO");
    const std::pair<const char*, const char*> tools[] = {
        {"Blur Face", "BLUR FACE"},   {"Blur Object", "BLUR OBJECT"},
        {"Background", "BACKGROUND"}, {"Shape Blur", "SHAPE BLUR"},
        {"Video", "VIDEO"},
    };
    for (auto [button, expected] : tools) {
        byName<QToolButton>(window, button)->click();
        EXPECT_EQ(title->text(), expected);
        EXPECT_TRUE(byName<QToolButton>(window, button)->isChecked());
    }
    // Choosing a tool stops playback.
    byName<QPushButton>(window, "Play")->click();
    byName<QToolButton>(window, "Blur Face")->click();
    EXPECT_FALSE(session().isPlay);
    EXPECT_EQ(byName<QPushButton>(window, "Play")->accessibleName(), "Play");
}

TEST_F(EditingScreenTest, ThePositionSliderSeeksAndFollowsThePlayhead) {
    auto* position = byName<QSlider>(window, "Position");
    auto* time = byName<QLabel>(window, "Time");
    ASSERT_TRUE(position && time);
    position->setValue(position->maximum() * 3 / 4);  // 1.5 s of 2
    EXPECT_EQ(time->text(), "00:01 / 00:02");
    trigger(window, "Go to Start");
    EXPECT_EQ(position->value(), 0);
    EXPECT_EQ(time->text(), "00:00 / 00:02");
}

TEST_F(EditingScreenTest, SavingToTheLibraryWritesANewFileBesideTheSourceAndNeverOverIt) {
    styleBackground();
    ASSERT_TRUE(saveToLibrary());
    EXPECT_EQ(filesInAlbum(), (std::vector<std::string>{"holiday (Veilcut).mp4", "holiday.mp4"}));
    EXPECT_GT(fs::file_size(album.file("holiday (Veilcut).mp4")), 1000u);
    shownWindow("Video Saved")->close();

    ASSERT_TRUE(saveToLibrary());
    EXPECT_EQ(filesInAlbum(), (std::vector<std::string>{"holiday (Veilcut 2).mp4",
                                                        "holiday (Veilcut).mp4", "holiday.mp4"}));
}

TEST_F(EditingScreenTest, ACancelledSaveLeavesNoFileAndTheEditorUsable) {
    styleBackground();
    answerNextDialog("Save to Library");
    byName<QPushButton>(window, "Save Video")->click();
    auto* saving = byName<QLabel>(window, "Saving status");
    ASSERT_TRUE(saving && saving->isVisible());
    EXPECT_EQ(saving->text(), "Saving..0%");
    byName<QPushButton>(window, "Cancel Save")->click();
    EXPECT_FALSE(saving->isVisible());
    ASSERT_TRUE(processUntil([&] { return !session().isExporting(); }, 60));
    processUntil([] { return false; }, 0.2);
    EXPECT_EQ(filesInAlbum(), std::vector<std::string>{"holiday.mp4"});
    EXPECT_EQ(shownWindow("Video Saved"), nullptr);
    EXPECT_EQ(shownWindow("Cannot Save Video"), nullptr);
    EXPECT_TRUE(byName<QPushButton>(window, "Play")->isEnabled());
}

TEST_F(EditingScreenTest, TheRatingPromptComesASecondAfterASaveStartsUnlessAlreadyRated) {
    styleBackground();
    ASSERT_TRUE(saveToLibrary());
    processUntil([] { return false; }, 1.2);
    EXPECT_EQ(shownWindow("Rate Veilcut"), nullptr) << "rated already";

    QSettings().setValue("didRate", false);
    ASSERT_TRUE(saveToLibrary());
    ASSERT_TRUE(processUntil([] { return shownWindow("Rate Veilcut") != nullptr; }, 5));
    byName<QPushButton>(*shownWindow("Rate Veilcut"), "4 stars")->click();
    EXPECT_TRUE(QSettings().value("didRate").toBool());
}

TEST_F(EditingScreenTest, ClosingAsksWheneverEditsAreUnsavedEvenAfterASave) {
    // Nothing hidden: closes without asking.
    window.close();
    EXPECT_FALSE(window.isVisible());
    ASSERT_EQ(window.openFile(video), std::nullopt);
    window.show();

    styleBackground();
    QString asked;
    answerNextDialog("Cancel", &asked);
    window.close();
    EXPECT_EQ(asked, "Close Editor");
    EXPECT_TRUE(window.isVisible());

    ASSERT_TRUE(saveToLibrary());
    shownWindow("Video Saved")->close();
    asked.clear();
    // Saved: nothing to ask about, until the edits change again.
    EXPECT_TRUE(window.editingScreen().confirmClose());
    styleBackground(StyleKind::gaussian);
    answerNextDialog("Close", &asked);
    window.close();
    EXPECT_EQ(asked, "Close Editor");
    EXPECT_FALSE(window.isVisible());
}

TEST_F(EditingScreenTest, AProjectSavedWithCtrlSReopensWithItsEdits) {
    styleBackground(StyleKind::crystal);
    const std::string project = album.file("holiday.veilcut.json");
    ASSERT_EQ(window.editingScreen().saveProject(project, false), std::nullopt);
    EXPECT_TRUE(window.editingScreen().confirmClose()) << "saved as a project";

    EditorWindow reopened{nullptr, autosaves.path().string()};
    ASSERT_EQ(reopened.openFile(project), std::nullopt);
    EditSession& restored = *reopened.editingScreen().session();
    EXPECT_EQ(restored.backgroundEditor().style().type, StyleKind::crystal);
    EXPECT_EQ(restored.source()->path(), video);
    EXPECT_TRUE(reopened.editingScreen().confirmClose()) << "nothing changed since it was saved";
}
