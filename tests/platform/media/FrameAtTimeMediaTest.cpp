#include "platform/media/FrameAtTime.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "support/TempFolder.h"
#include "support/TestMedia.h"

namespace {

std::unique_ptr<VideoReader> openSmall(const std::string& path) {
    VideoReaderSettings settings;
    settings.width = 64;
    settings.height = 36;
    return VideoReader::open(path, settings);
}

}  // namespace

TEST(FrameAtTime, TheFrameShownAtATimeAndTheOneAfterIt) {
    auto reader = openSmall(testMediaPath("noaudio.mp4"));  // 2 s at 30 frames/s
    ASSERT_TRUE(reader);
    // Asked out of order, so each answer has to seek afresh.
    for (double t : {1.5, 0.0, 1.0 / 30 - 1e-6, 1.0 / 30, 1.9999, 0.7, 5.0}) {
        std::string error;
        std::optional<VideoFrame> next;
        auto frame = frameAt(*reader, t, error, &next);
        ASSERT_TRUE(frame) << t << ": " << error;
        const int index = std::min(int(std::floor(t * 30 + 1e-9)), 59);
        EXPECT_NEAR(frame->time.seconds(), index / 30.0, 1e-6) << t;
        if (index < 59) {
            ASSERT_TRUE(next) << t;
            EXPECT_NEAR(next->time.seconds(), (index + 1) / 30.0, 1e-6) << t;
        } else {
            EXPECT_FALSE(next) << t;
        }
    }
}

TEST(FrameAtTime, FramesLongerThanAQuarterSecondAreFoundToo) {
    TempFolder folder("frame-at");
    const std::string slow = folder.file("slow.mp4");
    ASSERT_EQ(
        std::system(("ffmpeg -nostdin -v error -f lavfi -i testsrc2=size=64x64:rate=1:duration="
                     "5 -c:v libx264 -pix_fmt yuv420p " +
                     slow)
                        .c_str()),
        0);
    auto reader = openSmall(slow);
    ASSERT_TRUE(reader);
    for (double t : {2.5, 0.9, 4.99, 3.0}) {
        std::string error;
        std::optional<VideoFrame> next;
        auto frame = frameAt(*reader, t, error, &next);
        ASSERT_TRUE(frame) << t << ": " << error;
        EXPECT_NEAR(frame->time.seconds(), std::floor(t), 1e-6) << t;
        if (t < 4) {
            ASSERT_TRUE(next) << t;
            EXPECT_NEAR(next->time.seconds(), std::floor(t) + 1, 1e-6) << t;
        }
    }
}
