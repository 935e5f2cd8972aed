#include "session/Exporter.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <opencv2/core.hpp>
#include <thread>

#include "core/CurrentSource.h"
#include "core/SourceVideo.h"
#include "faces/FaceEditor.h"
#include "platform/dispatch/MainQueue.h"
#include "platform/media/MediaFile.h"
#include "platform/media/VideoReader.h"
#include "session/EditSession.h"
#include "support/TestMedia.h"

namespace fs = std::filesystem;

namespace {

struct ExportRun {
    std::optional<ExportResult> result;
    std::vector<double> progress;
    bool progressOnMainThread = true;
};

struct ExportMedia : ::testing::Test {
    void SetUp() override {
        MainQueue::shared().bindToCurrentThread();
        folder = fs::temp_directory_path() / ("veilcut-export-test-" + std::to_string(::getpid()));
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }

    ExportSettings settingsFor(const std::string& clip) {
        SourceVideo video(testMediaPath(clip));
        video.waitUntilLoaded();
        ExportSettings s;
        s.sourcePath = video.path();
        s.isHDR = video.isHDR();
        s.width = int(video.size().value_or(Size{}).width);
        s.height = int(video.size().value_or(Size{}).height);
        s.folder = folder.string();
        return s;
    }

    // Starts an export; the run's fields fill in as the main queue is pumped.
    ExportRun& start(const ExportSettings& settings, FrameHandler handler = {}) {
        runs.push_back(std::make_unique<ExportRun>());
        ExportRun& run = *runs.back();
        exporter.exportVideo(
            settings, std::move(handler),
            [&run](double p) {
                run.progress.push_back(p);
                run.progressOnMainThread &= MainQueue::shared().isMainThread();
            },
            [&run](const ExportResult& r) { run.result = r; });
        return run;
    }

    // Waits until the export has ended and its callbacks have been delivered.
    void finish() {
        MainQueue::shared().runUntil([this] { return !exporter.isExporting(); },
                                     std::chrono::seconds(120));
        MainQueue::shared().runPending();
    }

    ExportResult exportClip(const std::string& clip, FrameHandler handler = {}) {
        ExportRun& run = start(settingsFor(clip), std::move(handler));
        finish();
        EXPECT_TRUE(run.result);
        return run.result.value_or(ExportResult{});
    }

    std::string exportedFile(const std::string& clip, FrameHandler handler = {}) {
        auto result = exportClip(clip, std::move(handler));
        EXPECT_TRUE(result.file) << result.error;
        return result.file ? result.file->url : "";
    }

    size_t filesInFolder() const {
        return size_t(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
    }

    fs::path folder;
    std::vector<std::unique_ptr<ExportRun>> runs;
    Exporter exporter;
};

std::unique_ptr<MediaFile> probe(const std::string& path) {
    auto file = MediaFile::open(path);
    EXPECT_TRUE(file) << path;
    return file;
}

}  // namespace

TEST_F(ExportMedia, OrdinaryClipBecomesH264Bt709WithMonoAacAndEveryFrameTime) {
    ExportRun& run = start(settingsFor("hd.mp4"));
    finish();
    ASSERT_TRUE(run.result && run.result->file) << (run.result ? run.result->error : "");
    const ExportedFile& out = *run.result->file;
    EXPECT_EQ(fs::path(out.url).parent_path(), folder);
    // In a folder the caller names, hidden until the caller renames it into place.
    EXPECT_EQ(out.fileName.size(), 1u + 36u + 4u);
    EXPECT_EQ(out.fileName.substr(0, 1), ".");
    EXPECT_EQ(out.fileName.substr(37), ".mp4");
    EXPECT_EQ(out.fileName, fs::path(out.url).filename().string());
    std::string uuid = out.fileName.substr(1, 36);
    EXPECT_TRUE(std::none_of(uuid.begin(), uuid.end(), ::islower)) << uuid;

    auto source = probe(testMediaPath("hd.mp4"));
    auto file = probe(out.url);
    ASSERT_EQ(file->videoTracks().size(), 1u);
    ASSERT_EQ(file->audioTracks().size(), 1u);
    auto video = *file->streamInfo(file->videoTracks()[0]);
    EXPECT_EQ(video.codec, "h264");
    EXPECT_EQ(video.profile, "High");
    EXPECT_EQ(video.pixelFormat, "yuv420p");
    EXPECT_EQ(video.primaries, "bt709");
    EXPECT_EQ(video.transfer, "bt709");
    EXPECT_EQ(video.matrix, "bt709");
    EXPECT_EQ(video.width, 1920);
    EXPECT_EQ(video.height, 1080);
    auto audio = *file->streamInfo(file->audioTracks()[0]);
    EXPECT_EQ(audio.codec, "aac");
    EXPECT_EQ(audio.channels, 1);
    EXPECT_EQ(audio.sampleRate, 44100);

    EXPECT_EQ(file->presentationTimes(0), source->presentationTimes(0));
    EXPECT_NEAR(file->duration()->seconds(), source->duration()->seconds(), 1.0 / 30);
    // Bit rate follows the source's (x264's average is loose on a two-second clip).
    double ratio = *file->bitRate(file->videoTracks()[0]) / *source->bitRate(0);
    EXPECT_GT(ratio, 0.5);
    EXPECT_LT(ratio, 2.0);

    // Progress: the fraction of the video written, one report per frame, on the main thread.
    EXPECT_TRUE(run.progressOnMainThread);
    ASSERT_EQ(run.progress.size(), 60u);
    EXPECT_DOUBLE_EQ(run.progress.front(), 0.0);
    EXPECT_TRUE(std::is_sorted(run.progress.begin(), run.progress.end()));
    EXPECT_NEAR(run.progress.back(), 59.0 / 60, 0.01);
}

TEST_F(ExportMedia, PortraitOddAndVariableRateClipsKeepShapeAndTiming) {
    auto portrait = probe(exportedFile("portrait.mp4"));
    auto info = *portrait->streamInfo(portrait->videoTracks()[0]);
    EXPECT_EQ(info.width, 1080);
    EXPECT_EQ(info.height, 1920);
    EXPECT_FALSE(info.hasDisplayMatrix);

    // 4:2:0 needs even sides: an odd source loses its last column and row.
    auto odd = probe(exportedFile("odd.mp4"));
    auto oddInfo = *odd->streamInfo(odd->videoTracks()[0]);
    EXPECT_EQ(oddInfo.width, 1278);
    EXPECT_EQ(oddInfo.height, 718);

    auto vfr = probe(exportedFile("vfr.mp4"));
    auto source = probe(testMediaPath("vfr.mp4"));
    auto times = vfr->presentationTimes(vfr->videoTracks()[0]);
    EXPECT_EQ(times.size(), 30u);
    EXPECT_EQ(times, source->presentationTimes(0));
}

TEST_F(ExportMedia, AudioTracksNoneOrOnlyTheFirst) {
    auto silent = probe(exportedFile("noaudio.mp4"));
    EXPECT_EQ(silent->videoTracks().size(), 1u);
    EXPECT_TRUE(silent->audioTracks().empty());

    auto two = probe(exportedFile("two-audio.mp4"));
    ASSERT_EQ(two->audioTracks().size(), 1u);
    auto audio = *two->streamInfo(two->audioTracks()[0]);
    EXPECT_EQ(audio.channels, 1);
    EXPECT_EQ(audio.sampleRate, 44100);
}

TEST_F(ExportMedia, HdrSourcesBecomeHevcMain10Hlg) {
    for (const char* clip : {"hlg.mp4", "pq.mp4"}) {
        SCOPED_TRACE(clip);
        auto file = probe(exportedFile(clip));
        auto info = *file->streamInfo(file->videoTracks()[0]);
        EXPECT_EQ(info.codec, "hevc");
        EXPECT_EQ(info.profile, "Main 10");
        EXPECT_EQ(info.codecTag, "hvc1");
        EXPECT_EQ(info.pixelFormat, "yuv420p10le");
        EXPECT_EQ(info.primaries, "bt2020");
        EXPECT_EQ(info.transfer, "arib-std-b67");
        EXPECT_EQ(info.matrix, "bt2020nc");
    }
}

TEST_F(ExportMedia, WhatTheFrameHandlerReturnsIsWhatGetsWritten) {
    // Black out the second half of the clip; the first half passes through untouched.
    auto path = exportedFile("noaudio.mp4", [](const Image& source, const MediaTime& time,
                                               std::vector<Rect>&) {
        if (time.seconds() < 1.0) return source;
        return Image(cv::Mat(source.pixels.size(), source.pixels.type(), cv::Scalar(0, 0, 0, 255)));
    });
    auto exported = VideoReader::open(path, {});
    auto original = VideoReader::open(testMediaPath("noaudio.mp4"), {});
    ASSERT_TRUE(exported && original);
    VideoFrame out, in;
    int frames = 0;
    while (exported->read(out) == ReadStatus::frame) {
        ASSERT_EQ(original->read(in), ReadStatus::frame);
        double outBrightness = cv::mean(out.image.pixels)[1];
        if (out.time.seconds() < 1.0)
            EXPECT_NEAR(outBrightness, cv::mean(in.image.pixels)[1], 3.0) << frames;
        else
            EXPECT_LT(outBrightness, 20.0) << frames;
        ++frames;
    }
    EXPECT_EQ(frames, 60);
}

TEST_F(ExportMedia, CancelWhileWritingLeavesNoFileAndNoCallback) {
    ExportRun& run =
        start(settingsFor("hd.mp4"), [](const Image& source, const MediaTime&, std::vector<Rect>&) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            return source;
        });
    MainQueue::shared().runUntil([&] { return run.progress.size() >= 3; },
                                 std::chrono::seconds(60));
    ASSERT_GE(run.progress.size(), 3u);
    EXPECT_EQ(filesInFolder(), 1u);  // the partial file
    exporter.cancel();
    finish();
    EXPECT_FALSE(run.result);
    EXPECT_EQ(filesInFolder(), 0u);
}

TEST_F(ExportMedia, FailuresReportAReasonAndLeaveNoFile) {
    auto truncated = exportClip("truncated.mp4");
    EXPECT_FALSE(truncated.file);
    EXPECT_NE(truncated.error.find("truncated.mp4"), std::string::npos) << truncated.error;
    EXPECT_EQ(filesInFolder(), 0u);

    auto garbage = settingsFor("hd.mp4");
    garbage.sourcePath = testMediaPath("garbage.mp4");
    ExportRun& unreadable = start(garbage);
    finish();
    ASSERT_TRUE(unreadable.result);
    EXPECT_FALSE(unreadable.result->file);

    auto unwritable = settingsFor("noaudio.mp4");
    unwritable.folder = (folder / "missing" / "folder").string();
    ExportRun& nowhere = start(unwritable);
    finish();
    ASSERT_TRUE(nowhere.result);
    EXPECT_FALSE(nowhere.result->file);
    EXPECT_FALSE(fs::exists(folder / "missing"));
}

TEST_F(ExportMedia, FullDiskFailsAndLeavesNoFile) {
    // A file-size limit stands in for a full disk: writes past it fail with EFBIG.
    auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 64 * 1024;
    ::setrlimit(RLIMIT_FSIZE, &small);
    ExportRun& run = start(settingsFor("hd.mp4"));
    finish();
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previous);
    ASSERT_TRUE(run.result);
    EXPECT_FALSE(run.result->file);
    EXPECT_FALSE(run.result->error.empty());
    EXPECT_EQ(filesInFolder(), 0u);
}

TEST_F(ExportMedia, EditStateWaitsForTheScanAndMapsProgress) {
    auto video = std::make_shared<SourceVideo>(testMediaPath("noaudio.mp4"));
    video->waitUntilLoaded();
    EditSession edit;
    edit.setSource(video);
    FaceEditor& face = edit.faceEditor();
    const std::string scratch = edit.exporter().folder();
    size_t before =
        fs::exists(scratch) ? size_t(std::distance(fs::directory_iterator(scratch), {})) : 0;

    // Cancelled while the scan still runs: no file, no call.
    face.progressMerge({}, 0.5, MediaTime(2, 1), 1.0 / 30);
    bool called = false;
    edit.exportVideo([&](double) {}, [&](const ExportResult&) { called = true; });
    MainQueue::shared().runUntil([] { return false; }, std::chrono::milliseconds(150));
    // Still an export in progress while it waits: a caller that waits for it to end after
    // cancelling must not stop waiting before the file could have been made.
    EXPECT_TRUE(edit.isExporting());
    edit.cancelExport = true;
    MainQueue::shared().runUntil([&] { return !edit.isExporting(); }, std::chrono::seconds(5));
    EXPECT_FALSE(edit.isExporting());
    MainQueue::shared().runUntil([] { return false; }, std::chrono::milliseconds(50));
    EXPECT_FALSE(called);

    // The scan ends during the wait: 0...0.25 while waiting, then 0.25...1 while writing.
    std::vector<double> progress;
    std::optional<ExportResult> result;
    edit.exportVideo([&](double p) { progress.push_back(p); },
                     [&](const ExportResult& r) { result = r; });
    MainQueue::shared().runUntil([&] { return !progress.empty(); }, std::chrono::seconds(5));
    face.completionMerge({}, MediaTime(2, 1), 1.0 / 30);
    MainQueue::shared().runUntil([&] { return result.has_value(); }, std::chrono::seconds(60));
    ASSERT_TRUE(result && result->file) << (result ? result->error : "");
    ASSERT_GT(progress.size(), 60u);
    EXPECT_DOUBLE_EQ(progress.front(), 0.0);
    EXPECT_DOUBLE_EQ(progress[progress.size() - 60], 0.25);  // the first written frame
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    EXPECT_LT(progress.back(), 1.0);
    fs::remove(result->file->url);
    EXPECT_EQ(size_t(std::distance(fs::directory_iterator(scratch), {})), before);
}
