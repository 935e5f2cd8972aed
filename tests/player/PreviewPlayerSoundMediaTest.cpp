#include <gtest/gtest.h>

#include <algorithm>
#include <mutex>

#include "platform/dispatch/MainQueue.h"
#include "player/AudioOutput.h"
#include "player/PreviewPlayer.h"
#include "support/TestMedia.h"

namespace {

using Clock = std::chrono::steady_clock;

// A sound device whose clock runs 5 % fast against the wall clock, as real devices drift: it
// plays what it was given at that pace, holding up to a quarter of a second.
class DriftingDevice : public AudioOutput {
public:
    // `speed`: how fast the device plays against the wall clock; 0 stalls it.
    explicit DriftingDevice(bool present = true, double speed = 1.05)
        : present_(present), speed_(speed) {}
    bool start(int sampleRate) override {
        std::lock_guard lock(mutex_);
        if (!present_) return false;
        rate_ = sampleRate;
        started_ = Clock::now();
        written_ = 0;
        ++starts_;
        return true;
    }
    size_t write(const float*, size_t count) override {
        std::lock_guard lock(mutex_);
        const int64_t room = rate_ / 4 - (written_ - played());
        const size_t taken = size_t(std::clamp<int64_t>(room, 0, int64_t(count)));
        written_ += int64_t(taken);
        return taken;
    }
    int64_t playedSamples() const override {
        std::lock_guard lock(mutex_);
        return played();
    }
    void stop() override {}
    // Seconds of sound played since the last start.
    double playedSeconds() const { return double(playedSamples()) / rate_; }
    int starts() const {
        std::lock_guard lock(mutex_);
        return starts_;
    }

private:
    int64_t played() const {
        const double elapsed = std::chrono::duration<double>(Clock::now() - started_).count();
        return std::min(written_, int64_t(elapsed * speed_ * rate_));
    }
    const bool present_;
    const double speed_;
    mutable std::mutex mutex_;
    int rate_ = 48000;
    Clock::time_point started_;
    int64_t written_ = 0;
    int starts_ = 0;
};

struct Presented {
    double frame, sound;
};

// Plays the 2-second clip with sound from the start for `seconds`; each frame's time with the
// sound's position when it was presented.
std::vector<Presented> play(const std::shared_ptr<DriftingDevice>& device, double seconds) {
    std::mutex mutex;
    std::vector<Presented> presented;
    PreviewPlayerCallbacks callbacks;
    callbacks.present = [&](const Image&, const MediaTime& time) {
        std::lock_guard lock(mutex);
        presented.push_back({time.seconds(), device->playedSeconds()});
    };
    std::string error;
    auto player = PreviewPlayer::open(testMediaPath("two-audio.mp4"), {320, 180}, callbacks,
                                      {device}, &error);
    EXPECT_TRUE(player) << error;
    if (!player) return {};
    player->play();
    MainQueue::shared().runUntil([] { return false; }, std::chrono::duration<double>(seconds));
    player->pause();
    std::lock_guard lock(mutex);
    return presented;
}

}  // namespace

TEST(PreviewPlayerSound, PicturesKeepToTheSoundDevicesClock) {
    auto device = std::make_shared<DriftingDevice>();
    auto presented = play(device, 1.5);
    ASSERT_GT(presented.size(), 30u);
    EXPECT_EQ(device->starts(), 1);
    // Against the wall clock the device gains 75 ms in 1.5 s; the pictures follow it.
    std::vector<double> apart;
    for (size_t i = 1; i < presented.size(); ++i)
        apart.push_back(std::abs(presented[i].frame - presented[i].sound));
    std::sort(apart.begin(), apart.end());
    EXPECT_LT(apart[apart.size() / 2], 0.020);
    EXPECT_LT(apart[apart.size() * 9 / 10], 0.040);
    EXPECT_GT(presented.back().frame, 1.4);
}

TEST(PreviewPlayerSound, WithoutADevicePlayingGoesOnByTheWallClock) {
    auto presented = play(std::make_shared<DriftingDevice>(false), 0.5);
    ASSERT_GT(presented.size(), 10u);
    EXPECT_NEAR(presented.back().frame, 0.5, 0.1);
}

TEST(PreviewPlayerSound, ADeviceThatPlaysNothingDoesNotFreezeThePictures) {
    auto presented = play(std::make_shared<DriftingDevice>(true, 0.0), 1.5);
    ASSERT_GT(presented.size(), 10u);
    // Held for the half second the device is given to start, then on by the wall clock.
    EXPECT_NEAR(presented.back().frame, 1.0, 0.2);
}
