// The session as a front end uses it: open a video, edit, export to a named file, cancel.
// Every test makes its own sessions; nothing global is set up or reset between them.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>

#include "platform/dispatch/MainQueue.h"
#include "platform/image/PixelGrid.h"
#include "session/EditSession.h"
#include "support/TempFolder.h"
#include "support/TestMedia.h"

namespace {

namespace fs = std::filesystem;

struct SessionMedia : ::testing::Test {
    void SetUp() override { MainQueue::shared().bindToCurrentThread(); }

    // Copies a test clip into the folder and opens it in `session`.
    void open(EditSession& session, const std::string& clip) {
        fs::copy_file(testMediaPath(clip), dir / clip);
        ASSERT_FALSE(session.openSource((dir / clip).string()));
    }
    ExportOutcome exportAndWait(EditSession& session, const std::string& out,
                                ExportOptions options = {}) {
        auto handle = session.exportTo(out, std::move(options));
        MainQueue::shared().runUntil([&] { return handle->isFinished(); }, std::chrono::minutes(2));
        EXPECT_TRUE(handle->isFinished());
        return handle->outcome().value_or(ExportOutcome{});
    }
    std::vector<std::string> filesInFolder() const {
        std::vector<std::string> names;
        for (auto& entry : fs::directory_iterator(dir)) names.push_back(entry.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }

    TempFolder folder{"session"};
    fs::path dir = folder.path();
};

}  // namespace

TEST_F(SessionMedia, OpensEditsAndExportsToTheNamedFileAlone) {
    EditSession session;
    ASSERT_NO_FATAL_FAILURE(open(session, "noaudio.mp4"));
    session.shapeEditor().insertShape({0.25, 0.25, 0.5, 0.5});
    session.shapeEditor().finishEditing();
    // A second session's edits are its own.
    EditSession other;
    ASSERT_NO_FATAL_FAILURE(open(other, "two-audio.mp4"));
    EXPECT_TRUE(other.shapeEditor().shapes().empty());

    std::vector<double> progress;
    ExportOptions options;
    options.progress = [&](double f) { progress.push_back(f); };
    auto outcome = exportAndWait(session, (dir / "out.mp4").string(), options);
    EXPECT_EQ(outcome.status, ExportOutcome::Status::written) << outcome.error;
    EXPECT_FALSE(progress.empty());
    EXPECT_EQ(filesInFolder(),
              (std::vector<std::string>{"noaudio.mp4", "out.mp4", "two-audio.mp4"}));
    EditSession written;
    ASSERT_FALSE(written.openSource((dir / "out.mp4").string()));
    EXPECT_EQ(written.source()->size(), (Size{640, 360}));
}

TEST_F(SessionMedia, CancellingEndsOnceWithNothingLeftBehind) {
    EditSession session;
    ASSERT_NO_FATAL_FAILURE(open(session, "hd.mp4"));
    int completions = 0;
    std::optional<ExportOutcome> outcome;
    ExportOptions options;
    options.completion = [&](const ExportOutcome& o) {
        ++completions;
        outcome = o;
    };
    auto handle = session.exportTo((dir / "out.mp4").string(), options);
    MainQueue::shared().runUntil([&] { return handle->progress() > 0.05; },
                                 std::chrono::minutes(1));
    handle->cancel();
    handle->cancel();
    MainQueue::shared().runUntil([&] { return handle->isFinished(); }, std::chrono::minutes(1));
    MainQueue::shared().runUntil([] { return false; }, std::chrono::milliseconds(100));
    EXPECT_EQ(completions, 1);
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->status, ExportOutcome::Status::cancelled);
    EXPECT_FALSE(session.isExporting());
    EXPECT_EQ(filesInFolder(), std::vector<std::string>{"hd.mp4"});
}

TEST_F(SessionMedia, RefusedDestinationsAndSourcesFailWithTheirReasonAndTouchNothing) {
    EditSession session;
    ASSERT_NO_FATAL_FAILURE(open(session, "noaudio.mp4"));
    std::ofstream(dir / "taken.mp4") << "keep me";
    auto taken = exportAndWait(session, (dir / "taken.mp4").string());
    EXPECT_EQ(taken.status, ExportOutcome::Status::failed);
    EXPECT_NE(taken.error.find("exists (use --overwrite"), std::string::npos) << taken.error;
    EXPECT_EQ(fs::file_size(dir / "taken.mp4"), 7u);
    ExportOptions overwrite;
    overwrite.overwrite = true;
    auto source = exportAndWait(session, (dir / "noaudio.mp4").string(), overwrite);
    EXPECT_EQ(source.status, ExportOutcome::Status::failed);
    EXPECT_NE(source.error.find("is the source video"), std::string::npos) << source.error;

    EditSession empty;
    EXPECT_EQ(exportAndWait(empty, (dir / "x.mp4").string()).error, "no source video");
    auto missing = empty.openSource((dir / "missing.mp4").string());
    ASSERT_TRUE(missing);
    EXPECT_NE(missing->find("no such file"), std::string::npos);
    fs::copy_file(testMediaPath("audio-only.mp4"), dir / "audio.mp4");
    EXPECT_EQ(empty.openSource((dir / "audio.mp4").string()),
              (dir / "audio.mp4").string() + ": no video track");
    // Refused when opened, before a preview or an export would meet it.
    auto turned = empty.openSource(testMediaPath("rot45.mp4"));
    ASSERT_TRUE(turned);
    EXPECT_NE(turned->find("turns the picture by 45 degrees"), std::string::npos) << *turned;
    EXPECT_FALSE(empty.source());
    EXPECT_EQ(filesInFolder(), (std::vector<std::string>{"audio.mp4", "noaudio.mp4", "taken.mp4"}));
}
