#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/RegionStyle.h"
#include "platform/dispatch/MainQueue.h"
#include "session/Autosave.h"
#include "session/EditSession.h"
#include "session/LibraryDestination.h"
#include "session/UnsavedWork.h"
#include "support/ScriptedSourceProbe.h"
#include "support/TempFolder.h"

namespace fs = std::filesystem;

namespace {

struct SavingTest : ::testing::Test {
    void SetUp() override {
        MainQueue::shared().bindToCurrentThread();
        std::ofstream(video) << "not read: the probe is scripted";
        auto source = std::make_shared<SourceVideo>(
            video, std::make_unique<ScriptedSourceProbe>(steps, std::vector<SourceTrack>{{0}}));
        source->waitUntilLoaded();
        edit.setSource(source);
    }
    void styleBackground(StyleKind kind) {
        RegionStyle style;
        style.type = kind;
        edit.backgroundEditor().load(style, 0.5);
    }

    TempFolder folder{"saving"};
    std::string video = folder.file("clip.mp4");
    std::vector<std::string> steps;
    EditSession edit;
};

}  // namespace

TEST_F(SavingTest, WorkIsUnsavedUntilExactlyTheseEditsAreSaved) {
    UnsavedWork unsaved;
    EXPECT_FALSE(unsaved.isPending(edit)) << "nothing hidden yet";
    styleBackground(StyleKind::gaussian);
    EXPECT_TRUE(unsaved.isPending(edit));
    unsaved.markSaved(edit);
    EXPECT_FALSE(unsaved.isPending(edit));
    styleBackground(StyleKind::bokeh);
    EXPECT_TRUE(unsaved.isPending(edit)) << "an edit after the save";
    styleBackground(StyleKind::normal);
    EXPECT_FALSE(unsaved.isPending(edit)) << "nothing hidden is nothing to lose";
}

TEST_F(SavingTest, TheLibraryNameNeverTakesAnExistingFileOrLink) {
    EXPECT_EQ(libraryDestination(video), folder.file("clip (Veilcut).mp4"));
    std::ofstream(folder.file("clip (Veilcut).mp4")) << "x";
    fs::create_symlink(folder.file("gone"), folder.file("clip (Veilcut 2).mp4"));
    EXPECT_EQ(libraryDestination(video), folder.file("clip (Veilcut 3).mp4"));
}

TEST_F(SavingTest, AutosaveKeepsOnlyUnsavedEditsAndFindsWhatEndedProcessesLeft) {
    TempFolder autosaves("autosaves");
    Autosave autosave(autosaves.path().string());
    UnsavedWork unsaved;
    EXPECT_EQ(autosave.update(edit, unsaved), std::nullopt);
    EXPECT_FALSE(fs::exists(autosave.path())) << "nothing to keep";

    styleBackground(StyleKind::pixellate);
    EXPECT_EQ(autosave.update(edit, unsaved), std::nullopt);
    ASSERT_TRUE(fs::exists(autosave.path()));
    unsaved.markSaved(edit);
    EXPECT_EQ(autosave.update(edit, unsaved), std::nullopt);
    EXPECT_FALSE(fs::exists(autosave.path())) << "saved: the copy goes";

    // Left behind: only a file named after a process that is no longer running.
    const std::string crashed = autosaves.file("process-999999999-1.veilcut.json");
    std::ofstream(crashed) << "{}";
    std::ofstream(autosaves.file("notes.veilcut.json")) << "{}";
    styleBackground(StyleKind::mono);
    ASSERT_EQ(autosave.update(edit, UnsavedWork()), std::nullopt);
    EXPECT_EQ(autosave.leftBehind(), std::vector<std::string>{crashed});
}
