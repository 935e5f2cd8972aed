#include "player/PreviewPlayer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <mutex>

#include "platform/dispatch/MainQueue.h"
#include "support/TestMedia.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr double FRAME = 1.0 / 30;  // the test clip's frame duration

// A player on the 2-second, 30 frames/s test clip that records what it shows and reports.
struct PlayerTest : ::testing::Test {
    struct Shown {
        double time;
        Clock::time_point at;
    };
    void SetUp() override {
        PreviewPlayerCallbacks callbacks;
        callbacks.render = [this](const Image& source, const MediaTime&) {
            ++renders;
            return source;
        };
        callbacks.present = [this](const Image& frame, const MediaTime& time) {
            std::lock_guard lock(mutex);
            EXPECT_EQ(frame.pixels.cols, 320);
            shown.push_back({time.seconds(), Clock::now()});
        };
        callbacks.timeChanged = [this](const MediaTime& time) {
            reports.push_back(time.seconds());
        };
        std::string error;
        player =
            PreviewPlayer::open(testMediaPath("noaudio.mp4"), {320, 180}, callbacks, {}, &error);
        ASSERT_TRUE(player) << error;
    }
    std::vector<Shown> shownSoFar() {
        std::lock_guard lock(mutex);
        return shown;
    }
    void runFor(double seconds) {
        MainQueue::shared().runUntil([] { return false; }, std::chrono::duration<double>(seconds));
    }
    std::mutex mutex;
    std::vector<Shown> shown;
    std::atomic<int> renders{0};
    std::vector<double> reports;  // main thread
    std::unique_ptr<PreviewPlayer> player;
};

}  // namespace

TEST_F(PlayerTest, SeeksShowTheExactFrameAndABurstShowsOnlyTheFirstAndTheLast) {
    std::vector<bool> answers;
    for (double t : {0.1, 0.5, 0.9, 1.3, 1.71})
        player->seek(MediaTime::fromSeconds(t, 600), [&](bool done) { answers.push_back(done); });
    ASSERT_TRUE(MainQueue::shared().runUntil([&] { return answers.size() == 5; },
                                             std::chrono::seconds(10)));
    EXPECT_EQ(answers, (std::vector<bool>{false, false, false, true, true}));
    auto seen = shownSoFar();
    ASSERT_EQ(seen.size(), 3u);
    // The frame shown at a time is the last one starting at or before it.
    EXPECT_GT(seen[0].time, 0.1 - FRAME);
    EXPECT_LE(seen[0].time, 0.1);
    // Far from its key frame (the clip's only one, at 0), a seek shows that at once, then the
    // exact frame once decoding reaches it.
    EXPECT_EQ(seen[1].time, 0.0);
    EXPECT_GT(seen[2].time, 1.71 - FRAME);
    EXPECT_LE(seen[2].time, 1.71);
    EXPECT_TRUE(reports.empty()) << "time reports come only while playing";
}

TEST_F(PlayerTest, PlaysEachFrameOnTimeAndLoopsToTheStartAtTheEnd) {
    bool sought = false;
    player->seek(MediaTime::fromSeconds(1.5, 600), [&](bool) { sought = true; });
    ASSERT_TRUE(MainQueue::shared().runUntil([&] { return sought; }, std::chrono::seconds(5)));
    {
        std::lock_guard lock(mutex);
        shown.erase(shown.begin(), shown.end() - 1);  // from the frame the seek ended on
    }
    player->play();
    runFor(1.0);
    player->pause();
    auto seen = shownSoFar();
    ASSERT_GT(seen.size(), 20u);
    // From 1.5 s to the end (2 s), then on from 0: every frame in order, none skipped.
    size_t wrap = 0;
    for (size_t i = 1; i < seen.size(); ++i) {
        if (seen[i].time < seen[i - 1].time) {
            EXPECT_EQ(wrap, 0u) << "looped twice";
            wrap = i;
            EXPECT_NEAR(seen[i].time, 0, 1e-9);
            continue;
        }
        EXPECT_NEAR(seen[i].time - seen[i - 1].time, FRAME, 1e-3) << i;
    }
    ASSERT_GT(wrap, 0u) << "never looped";
    // Frames on screen at their time on the playback clock: typically within a few
    // milliseconds, and nine in ten within 40 ms even on a machine busy with other work.
    std::vector<double> lateness;
    auto measure = [&](size_t from, size_t to) {
        for (size_t i = from + 1; i < to; ++i)
            lateness.push_back(
                std::abs(std::chrono::duration<double>(seen[i].at - seen[from].at).count() -
                         (seen[i].time - seen[from].time)));
    };
    measure(0, wrap);
    measure(wrap, seen.size());
    std::sort(lateness.begin(), lateness.end());
    EXPECT_LT(lateness[lateness.size() / 2], 0.015);
    EXPECT_LT(lateness[lateness.size() * 9 / 10], 0.040);
    // The reports follow the frames shown.
    ASSERT_FALSE(reports.empty());
    EXPECT_LT(reports.front(), 2.0);
}

TEST_F(PlayerTest, PausedItStaysWhereItIsAndRendersAgainWhenAnEditChangesTheFrame) {
    player->play();
    runFor(0.3);
    player->pause();
    runFor(0.1);
    const size_t shownAtPause = shownSoFar().size(), reportsAtPause = reports.size();
    ASSERT_GT(shownAtPause, 3u);
    runFor(0.3);
    EXPECT_EQ(shownSoFar().size(), shownAtPause);
    EXPECT_EQ(reports.size(), reportsAtPause);

    const int rendersBefore = renders;
    player->refresh();
    runFor(0.2);
    auto seen = shownSoFar();
    ASSERT_EQ(seen.size(), shownAtPause + 1);
    EXPECT_EQ(seen.back().time, seen[shownAtPause - 1].time);
    EXPECT_EQ(renders, rendersBefore + 1);

    // Playing again goes on from the frame on screen.
    player->play();
    runFor(0.2);
    player->pause();
    seen = shownSoFar();
    ASSERT_GT(seen.size(), shownAtPause + 2);
    EXPECT_NEAR(seen[shownAtPause + 1].time, seen[shownAtPause].time + FRAME, 1e-3);
}
