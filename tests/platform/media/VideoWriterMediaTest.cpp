#include "platform/media/VideoWriter.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <opencv2/core.hpp>

#include "platform/media/VideoReader.h"
#include "support/TestMedia.h"

namespace fs = std::filesystem;

namespace {

// Copies the first `frames` frames of a clip; `touch` decides which go through a new picture.
int64_t copyClip(const std::string& clip, const fs::path& out, int frames,
                 const std::function<bool(int)>& touch) {
    auto reader = VideoReader::open(testMediaPath(clip), {.keepDecoded = true});
    auto writer = VideoWriter::create(out.string(), nullptr);
    EXPECT_TRUE(reader && writer);
    if (!reader || !writer) return -1;
    VideoWriterSettings settings{.width = reader->width(),
                                 .height = reader->height(),
                                 .timescale = reader->timescale(),
                                 .frameRate = reader->averageFrameRate()};
    EXPECT_TRUE(writer->addVideo(settings) && writer->start()) << writer->error();
    VideoFrame frame;
    for (int i = 0; i < frames && reader->read(frame) == ReadStatus::frame; ++i) {
        Image picture = touch(i) ? Image(frame.image.pixels.clone()) : frame.image;
        EXPECT_TRUE(writer->writeVideo(frame, picture)) << writer->error();
    }
    EXPECT_TRUE(writer->finish()) << writer->error();
    return writer->passedThroughFrames();
}

}  // namespace

TEST(VideoWriterMedia, UntouchedFramesSkipTheConversionAndLookTheSameAsConvertedOnes) {
    fs::path dir = fs::temp_directory_path() / ("veilcut-writer-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    EXPECT_EQ(
        copyClip("hd.mp4", dir / "odd-frames-touched.mp4", 10, [](int i) { return i % 2 == 1; }),
        5);
    // A converted frame must not shift colour against its untouched neighbours. (The test
    // picture's saturated bars clip on the way through RGB, which moves the means a little.)
    auto reader = VideoReader::open((dir / "odd-frames-touched.mp4").string(), {});
    auto original = VideoReader::open(testMediaPath("hd.mp4"), {});
    VideoFrame out, in;
    int frames = 0;
    while (reader->read(out) == ReadStatus::frame) {
        ASSERT_EQ(original->read(in), ReadStatus::frame);
        cv::Scalar a = cv::mean(out.image.pixels), b = cv::mean(in.image.pixels);
        for (int ch = 0; ch < 3; ++ch) EXPECT_NEAR(a[ch], b[ch], 3.0) << frames << " " << ch;
        ++frames;
    }
    EXPECT_EQ(frames, 10);

    // A small untagged source reads as BT.601 and is written as BT.709: always converted.
    EXPECT_EQ(copyClip("noaudio.mp4", dir / "small.mp4", 5, [](int) { return false; }), 0);
    fs::remove_all(dir);
}

TEST(VideoWriterMedia, AWriterDestroyedBeforeFinishingDeletesItsFile) {
    fs::path path =
        fs::temp_directory_path() / ("veilcut-partial-" + std::to_string(::getpid()) + ".mp4");
    {
        auto writer = VideoWriter::create(path.string(), nullptr);
        ASSERT_TRUE(writer);
        ASSERT_TRUE(writer->addVideo({.width = 64, .height = 64}) && writer->start());
        EXPECT_TRUE(fs::exists(path));
    }
    EXPECT_FALSE(fs::exists(path));
    // A path that cannot be created names the reason and leaves an existing file alone.
    std::string error;
    EXPECT_FALSE(VideoWriter::create("/proc/veilcut/out.mp4", &error));
    EXPECT_NE(error.find("/proc/veilcut/out.mp4"), std::string::npos);
}
