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

TEST(VideoWriterMedia, FramesChangedInAreasConvertOnlyThoseAndKeepTheRest) {
    fs::path dir = fs::temp_directory_path() / ("veilcut-areas-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const cv::Rect box(100, 60, 201, 81);  // odd edges: widened to even ones
    auto reader = VideoReader::open(testMediaPath("hd.mp4"), {.keepDecoded = true});
    auto writer = VideoWriter::create((dir / "boxed.mp4").string(), nullptr);
    ASSERT_TRUE(reader && writer);
    ASSERT_TRUE(writer->addVideo({.width = reader->width(),
                                  .height = reader->height(),
                                  .timescale = reader->timescale(),
                                  .frameRate = reader->averageFrameRate()}) &&
                writer->start());
    VideoFrame frame;
    for (int i = 0; i < 6 && reader->read(frame) == ReadStatus::frame; ++i) {
        cv::Mat painted = frame.image.pixels.clone();
        painted(box).setTo(cv::Scalar(200, 40, 60, 255));
        // The last frame lists an area covering most of the picture: converted whole.
        const std::vector<cv::Rect> changed =
            i < 5 ? std::vector{box} : std::vector{cv::Rect(0, 0, painted.cols, painted.rows)};
        ASSERT_TRUE(writer->writeVideo(frame, Image(painted), changed)) << writer->error();
    }
    ASSERT_TRUE(writer->finish()) << writer->error();
    EXPECT_EQ(writer->framesConvertedByArea(), 5);

    auto written = VideoReader::open((dir / "boxed.mp4").string(), {});
    auto original = VideoReader::open(testMediaPath("hd.mp4"), {});
    VideoFrame out, in;
    for (int i = 0; i < 6; ++i) {
        ASSERT_EQ(written->read(out), ReadStatus::frame);
        ASSERT_EQ(original->read(in), ReadStatus::frame);
        const cv::Scalar inside = cv::mean(out.image.pixels(box));
        EXPECT_NEAR(inside[0], 200, 4) << i;
        EXPECT_NEAR(inside[1], 40, 4) << i;
        EXPECT_NEAR(inside[2], 60, 4) << i;
        // Elsewhere the source, up to the encoder's noise.
        const cv::Rect below(0, 200, out.image.width(), out.image.height() - 200);
        cv::Mat difference;
        cv::absdiff(out.image.pixels(below), in.image.pixels(below), difference);
        EXPECT_LT(cv::mean(difference)[1], 3.0) << i;
    }
    fs::remove_all(dir);
}

TEST(VideoWriterMedia, PicturesAbove1080pTakeTheFewFramesSettingsAndKeepEveryTime) {
    const fs::path path =
        fs::temp_directory_path() / ("veilcut-large-" + std::to_string(::getpid()) + ".mp4");
    EXPECT_TRUE(h264Params(1920, 1080).empty());
    ASSERT_FALSE(h264Params(2048, 1152).empty());
    {
        auto writer = VideoWriter::create(path.string(), nullptr);
        ASSERT_TRUE(writer);
        // Slice threads without look-ahead still keep every frame time (a 7-tick step here).
        ASSERT_TRUE(writer->addVideo({.width = 2048, .height = 1152, .timescale = 600}) &&
                    writer->start())
            << writer->error();
        for (int i = 0; i < 4; ++i) {
            VideoFrame frame{Image(cv::Mat(1152, 2048, CV_8UC4, cv::Scalar(40 * i, 80, 120, 255))),
                             MediaTime(i * 20 + (i == 3 ? 7 : 0), 600), nullptr};
            ASSERT_TRUE(writer->writeVideo(frame, frame.image)) << writer->error();
        }
        ASSERT_TRUE(writer->finish()) << writer->error();
    }
    auto reader = VideoReader::open(path.string(), {});
    ASSERT_TRUE(reader);
    VideoFrame frame;
    std::vector<int64_t> times;
    while (reader->read(frame) == ReadStatus::frame)
        times.push_back(frame.time.convertScale(600).value);
    EXPECT_EQ(times, (std::vector<int64_t>{0, 20, 40, 67}));
    fs::remove(path);
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
