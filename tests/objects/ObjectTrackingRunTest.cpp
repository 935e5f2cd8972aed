#include "objects/ObjectTrackingRun.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>

#include "objects/FakeTracking.h"
#include "objects/ObjectTrackingPass.h"
#include "platform/dispatch/MainQueue.h"

using namespace std::chrono_literals;

namespace {

const Rect BOX{0.25, 0.25, 0.5, 0.5};  // the same rect in either origin

struct Outcome {
    bool ended = false;
    bool cancelled = false;
    std::deque<RegionSample> samples;
    std::optional<Image> thumbnail;
    std::vector<double> progress;
};

struct TrackingRunTest : ::testing::Test {
    void SetUp() override { MainQueue::shared().bindToCurrentThread(); }

    // A tracking run over `frames` frames of 25 fps whose tracker answers by `script`.
    void makeTrackingRun(int frames, TrackScript script = followSeed) {
        video = makeScriptedVideo(int64_t(frames) * 600 / FAKE_FPS);
        trackingRun.emplace(fakeServices(frames, std::move(script), ranges));
    }
    auto progress() {
        return [this](double f) { outcome.progress.push_back(f); };
    }
    auto completion() {
        return [this](std::deque<RegionSample> s, std::optional<Image> t) {
            outcome = {true, false, std::move(s), std::move(t), outcome.progress};
        };
    }
    auto cancelled() {
        return [this] { outcome.ended = outcome.cancelled = true; };
    }
    void forward(double from) {
        trackingRun->trackForward(video, MediaTime::fromSeconds(from, 600), BOX, progress(),
                                  completion(), cancelled());
    }
    void backward(double to) {
        trackingRun->trackBackward(video, MediaTime::zero(), MediaTime::fromSeconds(to, 600), BOX,
                                   progress(), completion(), cancelled());
    }
    void waitForEnd() {
        ASSERT_TRUE(MainQueue::shared().runUntil([&] { return outcome.ended; }, 20s));
        EXPECT_FALSE(trackingRun->isTracking());
    }

    std::shared_ptr<SourceVideo> video;
    std::shared_ptr<FakeFrames::Log> ranges = std::make_shared<FakeFrames::Log>();
    std::optional<ObjectTrackingRun> trackingRun;
    Outcome outcome;
};

std::vector<double> seconds(const std::deque<RegionSample>& samples) {
    std::vector<double> s;
    for (const auto& sample : samples) s.push_back(sample.timeStamp.seconds());
    return s;
}

}  // namespace

TEST_F(TrackingRunTest, ForwardFromTheEndCompletesEmptyWhileBackwardCoversTheWholeVideo) {
    makeTrackingRun(120);  // 4.8 s
    forward(4.8);
    waitForEnd();
    EXPECT_FALSE(outcome.cancelled);
    EXPECT_TRUE(outcome.samples.empty());
    EXPECT_FALSE(outcome.thumbnail);
    EXPECT_TRUE(ranges->all().empty());

    outcome = {};
    backward(4.8);
    waitForEnd();
    ASSERT_EQ(outcome.samples.size(), 120u);
    EXPECT_EQ(outcome.samples.front().timeStamp, FakeFrames::at(0));
    EXPECT_EQ(outcome.samples.back().timeStamp, FakeFrames::at(119));
    EXPECT_TRUE(std::is_sorted(outcome.samples.begin(), outcome.samples.end(),
                               [](auto& a, auto& b) { return a.timeStamp < b.timeStamp; }));
    // Chunks of 50 frames from the marked time back, the last one cut at the start.
    auto asked = ranges->all();
    ASSERT_EQ(asked.size(), 3u);
    EXPECT_DOUBLE_EQ(asked[0].start.seconds(), 2.8);
    EXPECT_DOUBLE_EQ(asked[0].end().seconds(), 4.8);
    EXPECT_DOUBLE_EQ(asked[2].start.seconds(), 0);
    EXPECT_DOUBLE_EQ(asked[2].end().seconds(), 0.8);
    // Progress rises towards 1 as the pass nears the start.
    EXPECT_TRUE(std::is_sorted(outcome.progress.begin(), outcome.progress.end()));
    EXPECT_NEAR(outcome.progress.back(), 1.0, 1e-9);
}

TEST_F(TrackingRunTest, BackwardFromZeroReadsNothingAndAShortRangeIsOneChunk) {
    makeTrackingRun(100);
    backward(0);
    waitForEnd();
    EXPECT_FALSE(outcome.cancelled);
    EXPECT_TRUE(outcome.samples.empty());
    EXPECT_TRUE(ranges->all().empty());

    outcome = {};
    backward(1.2);  // 30 frames
    waitForEnd();
    auto asked = ranges->all();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].start, MediaTime::zero());
    EXPECT_DOUBLE_EQ(asked[0].end().seconds(), 1.2);
    EXPECT_EQ(outcome.samples.size(), 30u);
}

TEST_F(TrackingRunTest, ThreeRejectionsInARowEndThePassWithThreeHeldSamples) {
    const Rect away{0.0, 0.0, 0.1, 0.1};
    makeTrackingRun(100, [&](int frame, const Rect& seed) -> std::optional<TrackedObject> {
        return TrackedObject{frame < 10 ? seed : away, 1.0f};
    });
    forward(0);
    waitForEnd();
    EXPECT_FALSE(outcome.cancelled);  // ended by loss: a completion
    ASSERT_EQ(outcome.samples.size(), 13u);
    for (int i = 10; i < 13; ++i) {
        EXPECT_EQ(outcome.samples[size_t(i)].nominalRect, BOX);
        EXPECT_EQ(outcome.samples[size_t(i)].timeStamp, FakeFrames::at(i));
    }
    EXPECT_EQ(outcome.progress.size(), 13u);

    // Going backwards the held box is the earliest result, and held samples go in front.
    outcome = {};
    trackingRun.emplace(fakeServices(100, [&](int frame, const Rect& seed) {
        return std::optional(TrackedObject{frame >= 60 ? seed : away, 1.0f});
    }));
    backward(4);
    waitForEnd();
    ASSERT_EQ(outcome.samples.size(), 43u);
    EXPECT_EQ(outcome.samples.front().timeStamp, FakeFrames::at(57));
    EXPECT_EQ(outcome.samples.front().nominalRect, BOX);
}

TEST_F(TrackingRunTest, FailedStepsCountOneAndRejectionsBeforeAnyResultRecordNothing) {
    // Two frames rejected for low confidence before any result (10 each, nothing recorded),
    // then failed steps (1 each): the tenth failure takes the score past 29.
    makeTrackingRun(100, [](int frame, const Rect& seed) -> std::optional<TrackedObject> {
        if (frame < 2) return TrackedObject{seed, 0.2f};
        if (frame < 40) return std::nullopt;
        return TrackedObject{seed, 1.0f};
    });
    forward(0);
    waitForEnd();
    EXPECT_TRUE(outcome.samples.empty());
    EXPECT_FALSE(outcome.thumbnail);
    EXPECT_EQ(outcome.progress.size(), 12u);

    // 29 failed steps are survived; an accepted frame resets the score.
    outcome = {};
    trackingRun.emplace(fakeServices(100, [](int frame, const Rect& seed) {
        return frame % 30 == 29 ? std::optional(TrackedObject{seed, 1.0f}) : std::nullopt;
    }));
    forward(0);
    waitForEnd();
    EXPECT_EQ(seconds(outcome.samples), (std::vector<double>{29 / 25.0, 59 / 25.0, 89 / 25.0}));
}

TEST_F(TrackingRunTest, TheThumbnailIsTheFirstAcceptedBoxInRgba) {
    makeTrackingRun(10);
    forward(0.2);
    waitForEnd();
    ASSERT_TRUE(outcome.thumbnail);
    EXPECT_EQ(outcome.thumbnail->extent, (Rect{0, 0, 4, 4}));  // half of 8 px
    auto px = outcome.thumbnail->pixels.at<cv::Vec4b>(0, 0);
    EXPECT_EQ(px, cv::Vec4b(30, 20, 10, 255));  // BGRA frame, RGBA thumbnail
    EXPECT_EQ(outcome.samples.front().timeStamp, FakeFrames::at(5));
    EXPECT_NEAR(outcome.progress.front(), 0.0, 1e-9);
}

TEST_F(TrackingRunTest, CancellingEndsEitherPassWithCancelled) {
    for (bool forwards : {true, false}) {
        outcome = {};
        makeTrackingRun(500, slowly(followSeed));
        if (forwards)
            forward(0);
        else
            backward(20);
        ASSERT_TRUE(MainQueue::shared().runUntil([&] { return outcome.progress.size() > 3; }, 20s));
        trackingRun->cancel();
        waitForEnd();
        EXPECT_TRUE(outcome.cancelled) << forwards;
        EXPECT_TRUE(trackingRun->cancelReverse());
    }
}

TEST_F(TrackingRunTest, ACancelBeforeThePassOpensItsFramesIsNotLost) {
    makeTrackingRun(500);
    // The frames open only once the cancel has been made.
    std::promise<void> cancelMade;
    ObjectTrackingServices services = fakeServices(500, followSeed);
    services.openFrames = [open = services.openFrames, gate = cancelMade.get_future().share()](
                              const std::string& p, int side) {
        gate.wait();
        return open(p, side);
    };
    trackingRun.emplace(services);
    forward(0);
    trackingRun->cancel();
    cancelMade.set_value();
    waitForEnd();
    EXPECT_TRUE(outcome.cancelled);
}

TEST_F(TrackingRunTest, AVideoThatCannotBeOpenedEndsThePassWithoutACallback) {
    makeTrackingRun(10);
    ObjectTrackingServices services = fakeServices(10, followSeed);
    services.openFrames = [](const std::string&, int) { return nullptr; };
    trackingRun.emplace(services);
    forward(0);
    EXPECT_TRUE(trackingRun->isTracking());
    ASSERT_TRUE(MainQueue::shared().runUntil([&] { return !trackingRun->isTracking(); }, 20s));
    EXPECT_FALSE(outcome.ended);
}

TEST(ObjectTrackingPass, OverlapMustCoverMoreThanThirtyPercentOfEitherBox) {
    const Rect reference{0, 0, 1, 1};
    EXPECT_TRUE(overlapsEnough({0.5, 0.5, 0.1, 0.1}, reference));  // all of the small box
    EXPECT_TRUE(overlapsEnough({0.65, 0, 1, 1}, reference));       // 35 % of both
    EXPECT_FALSE(overlapsEnough({0.75, 0, 1, 1}, reference));      // 25 % of both
    EXPECT_FALSE(overlapsEnough({2, 2, 1, 1}, reference));         // apart
    EXPECT_FALSE(isUsableBox({0, 0, 0, 1}));
    EXPECT_FALSE(isUsableBox({std::nan(""), 0, 1, 1}));
    EXPECT_FALSE(isUsableBox({0, 0, INFINITY, 1}));

    // A box well inside the reference is accepted from confidence 0.5 on.
    for (float confidence : {0.49f, 0.5f}) {
        FakeTracker tracker([&](int frame, const Rect& seed) {
            if (frame == 0) return TrackedObject{seed, 1.0f};
            return TrackedObject{Rect{0.45, 0.45, 0.05, 0.05}, confidence};
        });
        ObjectTrackingPass pass(tracker, BOX, TrackDirection::forward);
        FakeFrames frames(2, std::make_shared<FakeFrames::Log>());
        frames.setRange({MediaTime::zero(), MediaTime(600, 600)});
        VideoFrame frame;
        while (frames.read(frame) == ReadStatus::frame) pass.judge(frame);
        EXPECT_EQ(pass.results().back().nominalRect.width, confidence < 0.5f ? 0.5 : 0.05);
    }
}
