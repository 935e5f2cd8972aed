#include "platform/media/VideoReader.h"

#include <gtest/gtest.h>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include "platform/media/AudioReader.h"
#include "platform/media/MediaFile.h"
#include "support/TestMedia.h"

namespace {

std::unique_ptr<VideoReader> openClip(const std::string& clip, VideoReaderSettings settings = {}) {
    std::string error;
    auto reader = VideoReader::open(testMediaPath(clip), settings, &error);
    EXPECT_TRUE(reader) << error;
    return reader;
}

VideoFrame firstFrame(VideoReader& reader) {
    VideoFrame frame;
    EXPECT_EQ(reader.read(frame), ReadStatus::frame);
    return frame;
}

double meanDifference(const cv::Mat& a, const cv::Mat& b) {
    cv::Scalar d = cv::mean(cv::abs(a - b));
    return (d[0] + d[1] + d[2]) / 3;
}

}  // namespace

TEST(VideoReaderMedia, PortraitFramesComeUprightTurnedAsPlayersTurnThem) {
    // The portrait clip stores the same test picture as the landscape one, turned by its matrix.
    auto landscape = openClip("hd.mp4");
    auto portrait = openClip("portrait.mp4");
    ASSERT_TRUE(landscape && portrait);
    EXPECT_EQ(portrait->width(), 1080);
    EXPECT_EQ(portrait->height(), 1920);
    cv::Mat stored = firstFrame(*landscape).image.pixels;
    cv::Mat upright = firstFrame(*portrait).image.pixels;
    ASSERT_EQ(upright.cols, 1080);
    cv::Mat counterClockwise, clockwise;
    cv::rotate(stored, counterClockwise, cv::ROTATE_90_COUNTERCLOCKWISE);
    cv::rotate(stored, clockwise, cv::ROTATE_90_CLOCKWISE);
    EXPECT_LT(meanDifference(upright, counterClockwise), 3.0);
    EXPECT_GT(meanDifference(upright, clockwise), 20.0);
}

TEST(VideoReaderMedia, SizesAndPixelFormats) {
    VideoReaderSettings fitted;
    fitted.maxSide = 1024;
    fitted.format = VideoPixelFormat::bgra8;
    auto small = openClip("hd.mp4", fitted);
    VideoFrame bgra = firstFrame(*small);
    EXPECT_EQ(bgra.image.pixels.size(), cv::Size(1024, 576));
    auto rgbaReader = openClip("hd.mp4", {.width = 1024, .height = 576});
    cv::Mat rgba = firstFrame(*rgbaReader).image.pixels, swapped;
    cv::cvtColor(bgra.image.pixels, swapped, cv::COLOR_BGRA2RGBA);
    EXPECT_LT(meanDifference(rgba, swapped), 0.5);

    // An odd source read at the even size below is cut, not scaled: pixels stay where they were.
    auto odd = openClip("odd.mp4");
    auto even = openClip("odd.mp4", {.width = 1278, .height = 718});
    cv::Mat full = firstFrame(*odd).image.pixels, cut = firstFrame(*even).image.pixels;
    ASSERT_EQ(cut.size(), cv::Size(1278, 718));
    EXPECT_EQ(meanDifference(full(cv::Rect(0, 0, 1278, 718)), cut), 0.0);

    auto deep = openClip("hlg.mp4", {.format = VideoPixelFormat::rgba16});
    EXPECT_EQ(firstFrame(*deep).image.pixels.type(), CV_16UC4);
}

TEST(VideoReaderMedia, RangesStartAtTheExactFrameAndCanBeReset) {
    auto reader = openClip("hd.mp4");
    ASSERT_TRUE(reader->setRange({MediaTime(1000, 1000), MediaTime(100, 1000)}));
    std::vector<MediaTime> times;
    VideoFrame frame;
    while (reader->read(frame) == ReadStatus::frame) times.push_back(frame.time);
    ASSERT_EQ(times.size(), 3u);  // 30, 31 and 32 at 30 fps
    EXPECT_EQ(times[0], MediaTime(1, 1));
    EXPECT_EQ(times[2], MediaTime(32, 30));

    ASSERT_TRUE(reader->setRange({MediaTime(10, 30), MediaTime(1, 30)}));
    ASSERT_EQ(reader->read(frame), ReadStatus::frame);
    EXPECT_EQ(frame.time, MediaTime(10, 30));
    EXPECT_EQ(reader->read(frame), ReadStatus::end);
}

TEST(VideoReaderMedia, TinyPicturesDecodeWithinTheirBuffers) {
    // swscale stores whole vector blocks; a picture a few pixels wide once took its spill past
    // the end of the frame. The library is not instrumented, so no sanitizer sees the write:
    // the heap's own checks abort the process on the next allocations.
    for (int side : {2, 4, 6, 8, 10, 12}) {
        for (auto format : {VideoPixelFormat::rgba8, VideoPixelFormat::rgba16}) {
            VideoReaderSettings settings;
            settings.format = format;
            auto reader = openClip("tiny-" + std::to_string(side) + ".mp4", settings);
            ASSERT_TRUE(reader) << side;
            int frames = 0;
            VideoFrame frame;
            while (reader->read(frame) == ReadStatus::frame) {
                ASSERT_EQ(frame.image.pixels.size(), cv::Size(side, side));
                ++frames;
            }
            EXPECT_EQ(frames, 15) << side;
        }
    }
}

TEST(VideoReaderMedia, TruncatedGarbageAndCancelledFiles) {
    auto truncated = openClip("truncated.mp4");
    VideoFrame frame;
    ReadStatus status;
    int frames = 0;
    while ((status = truncated->read(frame)) == ReadStatus::frame) ++frames;
    EXPECT_EQ(status, ReadStatus::failed);
    EXPECT_GT(frames, 0);
    EXPECT_FALSE(truncated->error().empty());

    std::string error;
    EXPECT_FALSE(VideoReader::open(testMediaPath("garbage.mp4"), {}, &error));
    EXPECT_FALSE(VideoReader::open(testMediaPath("audio-only.mp4"), {}, &error));
    EXPECT_NE(error.find("no video track"), std::string::npos);

    auto reader = openClip("hd.mp4");
    reader->cancel();
    EXPECT_EQ(reader->read(frame), ReadStatus::cancelled);
}

TEST(AudioReaderMedia, DecodesMonoAtTheChosenRate) {
    auto reader = AudioReader::open(testMediaPath("hd.mp4"), 1, 44100);
    ASSERT_TRUE(reader);
    AudioChunk chunk;
    int64_t samples = 0, expectedStart = -1;
    ReadStatus status;
    while ((status = reader->read(chunk)) == ReadStatus::frame) {
        if (expectedStart >= 0) {
            EXPECT_EQ(chunk.start, expectedStart);
        }
        expectedStart = chunk.start + int64_t(chunk.samples.size());
        samples += int64_t(chunk.samples.size());
    }
    EXPECT_EQ(status, ReadStatus::end);
    EXPECT_NEAR(double(samples) / 44100, 2.0, 0.05);
}

TEST(AudioReaderMedia, SeeksToTheSampleAskedForForwardsAndBack) {
    auto reader = AudioReader::open(testMediaPath("hd.mp4"), 1, 48000);
    ASSERT_TRUE(reader);
    AudioChunk chunk;
    for (double to : {1.0, 0.5, 1.5, 0.0}) {
        ASSERT_TRUE(reader->seek(to));
        ASSERT_EQ(reader->read(chunk), ReadStatus::frame);
        EXPECT_EQ(chunk.start, int64_t(to * 48000)) << to;
    }
    // From there on, one run of samples to the end.
    ASSERT_TRUE(reader->seek(1.25));
    int64_t next = 60000;
    while (reader->read(chunk) == ReadStatus::frame) {
        ASSERT_EQ(chunk.start, next);
        next += int64_t(chunk.samples.size());
    }
    EXPECT_NEAR(double(next) / 48000, 2.0, 0.05);
}
