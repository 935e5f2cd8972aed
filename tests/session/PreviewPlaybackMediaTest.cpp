#include "session/PreviewPlayback.h"

#include <gtest/gtest.h>

#include <mutex>

#include "core/Notifications.h"
#include "platform/dispatch/MainQueue.h"
#include "session/EditSession.h"
#include "support/TestMedia.h"

namespace {

constexpr double FRAME = 1.0 / 30;  // the test clip's frame duration

struct PreviewPlaybackTest : ::testing::Test {
    void SetUp() override {
        ASSERT_EQ(session.openSource(testMediaPath("noaudio.mp4")), std::nullopt);
        std::string error;
        playback = PreviewPlayback::open(
            session,
            [this](const Image& frame, const MediaTime& time) {
                std::lock_guard lock(mutex);
                shown.push_back({time.seconds(), frame.pixels.cols});
            },
            &error);
        ASSERT_TRUE(playback) << error;
        timeChanges = NotificationCenter::defaultCenter().addObserver(
            Notifications::timeChange, [this](auto) { ++timeChangeCount; });
        waitForFrames(1);
    }
    struct Shown {
        double time;
        int width;
    };
    std::vector<Shown> shownSoFar() {
        std::lock_guard lock(mutex);
        return shown;
    }
    void waitForFrames(size_t count) {
        ASSERT_TRUE(MainQueue::shared().runUntil([&] { return shownSoFar().size() >= count; },
                                                 std::chrono::seconds(5)));
    }
    void runFor(double seconds) {
        MainQueue::shared().runUntil([] { return false; }, std::chrono::duration<double>(seconds));
    }
    void setPlaying(bool playing) {
        session.isPlay = playing;
        NotificationCenter::defaultCenter().post(Notifications::playStatusChange);
    }
    EditSession session;
    std::mutex mutex;
    std::vector<Shown> shown;
    int timeChangeCount = 0;
    std::unique_ptr<NotificationCenter::Token> timeChanges;
    std::unique_ptr<PreviewPlayback> playback;
};

}  // namespace

TEST_F(PreviewPlaybackTest, PlayingMovesThePlayheadAndThePlayheadMovesThePausedPreview) {
    // Shown at once, at the preview size (the 640 x 360 clip enlarged into the 1024 box).
    EXPECT_EQ(shownSoFar().front().width, 1024);
    EXPECT_EQ(shownSoFar().front().time, 0);

    setPlaying(true);
    runFor(0.5);
    setPlaying(false);
    runFor(0.1);
    EXPECT_GT(timeChangeCount, 8);
    EXPECT_NEAR(session.playhead.seconds(), 0.5, 0.15);
    EXPECT_NEAR(session.playhead.seconds(), shownSoFar().back().time, 1e-9);

    // The timeline moves the playhead while paused: the preview shows that frame.
    session.playhead = MediaTime::fromSeconds(1.25, 600);
    NotificationCenter::defaultCenter().post(Notifications::timeChange);
    runFor(0.3);
    EXPECT_GT(shownSoFar().back().time, 1.25 - FRAME);
    EXPECT_LE(shownSoFar().back().time, 1.25);
    EXPECT_EQ(session.playhead, MediaTime::fromSeconds(1.25, 600));
}

TEST_F(PreviewPlaybackTest, EditsShowAtOnceAndTheEndOfATrackingRunKeepsThePlayhead) {
    session.playhead = MediaTime::fromSeconds(1.0, 600);
    NotificationCenter::defaultCenter().post(Notifications::timeChange);
    runFor(0.2);
    const size_t before = shownSoFar().size();
    NotificationCenter::defaultCenter().post(Notifications::updateFilter);
    waitForFrames(before + 1);
    EXPECT_NEAR(shownSoFar().back().time, 1.0, FRAME);

    // Paused: the same frame again, the playhead untouched.
    NotificationCenter::defaultCenter().post(Notifications::endTrackingObject);
    runFor(0.2);
    EXPECT_EQ(session.playhead, MediaTime::fromSeconds(1.0, 600));
    EXPECT_NEAR(shownSoFar().back().time, 1.0, FRAME);

    // Playing: playback goes on from where it was, not from the start.
    setPlaying(true);
    runFor(0.2);
    const double playing = session.playhead.seconds();
    NotificationCenter::defaultCenter().post(Notifications::endTrackingObject);
    runFor(0.2);
    setPlaying(false);
    EXPECT_GE(session.playhead.seconds(), playing);
    EXPECT_LT(session.playhead.seconds(), playing + 0.4);
}
