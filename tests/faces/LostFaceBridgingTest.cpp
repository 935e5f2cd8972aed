#include "faces/LostFaceBridging.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

MediaTime frame(int i) {
    return MediaTime(i, 30);
}

std::vector<MediaTime> frames(int count) {
    std::vector<MediaTime> times;
    for (int i = 0; i < count; ++i) times.push_back(frame(i));
    return times;
}

}  // namespace

TEST(LostFaceBridging, ATrackIsCarriedToTheNearTrackThatTakesItUpSoonAfter) {
    const Rect lost{0.2, 0.2, 0.1, 0.1}, found{0.3, 0.2, 0.1, 0.1};
    std::vector<std::vector<RegionSample>> tracks{
        {{frame(5), {0.1, 0.2, 0.1, 0.1}}, {frame(10), lost}},
        {{frame(20), found}, {frame(21), found}}};
    bridgeBriefLosses(tracks, frames(40));
    // Held before its first sample (frames 0 to 4), then bridged (frames 11 to 19).
    ASSERT_EQ(tracks[0].size(), 5u + 2u + 9u);
    EXPECT_EQ(tracks[0][5 + 2].timeStamp, frame(11));
    EXPECT_EQ(tracks[0].back().timeStamp, frame(19));
    EXPECT_NEAR(tracks[0][5 + 2 + 4].nominalRect.x, 0.25, 1e-12);  // frame 15, half way
    ASSERT_EQ(tracks[1].front().timeStamp, frame(20)) << "the bridge leads into the later track";
}

TEST(LostFaceBridging, LongLossesFarFacesAndOtherSizesAreNotBridged) {
    const Rect box{0.2, 0.2, 0.1, 0.1};
    // Samples the earlier track gains after frame 10 that are not its last box held.
    auto bridgedSamples = [&](Rect laterBox, int laterFrame) {
        std::vector<std::vector<RegionSample>> tracks{{{frame(10), box}},
                                                      {{frame(laterFrame), laterBox}}};
        bridgeBriefLosses(tracks, frames(60));
        return std::count_if(tracks[0].begin(), tracks[0].end(), [&](const RegionSample& s) {
            return s.timeStamp > frame(10) && !(s.nominalRect == box);
        });
    };
    const Rect moved{0.25, 0.2, 0.1, 0.1};
    EXPECT_EQ(bridgedSamples(moved, 25), 14) << "half a second";
    EXPECT_EQ(bridgedSamples(moved, 26), 0) << "longer";
    EXPECT_EQ(bridgedSamples({0.39, 0.29, 0.1, 0.1}, 20), 9) << "under two face sizes away";
    EXPECT_EQ(bridgedSamples({0.41, 0.2, 0.1, 0.1}, 20), 0) << "two face widths away";
    EXPECT_EQ(bridgedSamples({0.2, 0.41, 0.1, 0.1}, 20), 0) << "two face heights away";
    EXPECT_EQ(bridgedSamples({0.2, 0.2, 0.21, 0.21}, 20), 0) << "over twice the size";
    EXPECT_EQ(bridgedSamples(moved, 10), 0) << "at the same time";
    EXPECT_EQ(bridgedSamples(moved, 5), 0) << "before";
}

TEST(LostFaceBridging, EndsNoBridgeJoinsAreHeldForHalfASecondInsideThePass) {
    const Rect box{0.2, 0.2, 0.1, 0.1};
    // A track seen in frames 20 to 24 of a 40-frame pass, and one from frame 5 to 35.
    std::vector<std::vector<RegionSample>> tracks{
        {{frame(20), box}, {frame(22), box}, {frame(24), box}},
        {{frame(5), {0.6, 0.6, 0.1, 0.1}}, {frame(35), {0.6, 0.6, 0.1, 0.1}}}};
    bridgeBriefLosses(tracks, frames(40));
    ASSERT_EQ(tracks[0].size(), 15u + 3u + 15u);
    EXPECT_EQ(tracks[0].front().timeStamp, frame(5));
    EXPECT_EQ(tracks[0].back().timeStamp, frame(39));
    for (const RegionSample& s : tracks[0]) EXPECT_EQ(s.nominalRect, box);
    EXPECT_TRUE(std::is_sorted(
        tracks[0].begin(), tracks[0].end(),
        [](const RegionSample& a, const RegionSample& b) { return a.timeStamp < b.timeStamp; }));
    // Held up to the pass's first and last frames, never beyond them.
    EXPECT_EQ(tracks[1].front().timeStamp, frame(0));
    EXPECT_EQ(tracks[1].back().timeStamp, frame(39));
    EXPECT_EQ(tracks[1].size(), 5u + 2u + 4u);
}

TEST(LostFaceBridging, HeldEndsMoveOnAsTheFaceWasMovingAndNeverShrinkAway) {
    // Moving right by 0.01 and shrinking by 0.01 a frame, from frame 20 to 30 of 60.
    std::vector<std::vector<RegionSample>> tracks(1);
    for (int i = 20; i <= 30; ++i) {
        double side = 0.3 - 0.01 * (i - 20);
        tracks[0].push_back({frame(i), {0.01 * i - side / 2, 0.5 - side / 2, side, side}});
    }
    bridgeBriefLosses(tracks, frames(60));
    ASSERT_EQ(tracks[0].size(), 15u + 11u + 15u);
    const Rect& before = tracks[0][10].nominalRect;  // frame 15
    EXPECT_NEAR(before.midX(), 0.15, 1e-9);
    EXPECT_NEAR(before.midY(), 0.5, 1e-9);
    EXPECT_NEAR(before.width, 0.35, 1e-9);
    const Rect& after = tracks[0][15 + 11 + 4].nominalRect;  // frame 35
    EXPECT_NEAR(after.midX(), 0.35, 1e-9);
    EXPECT_NEAR(after.width, 0.15, 1e-9);
    // Frame 45 would be 0.05 wide going on: held at half the last box's size.
    EXPECT_NEAR(tracks[0].back().nominalRect.width, 0.1, 1e-9);
    EXPECT_NEAR(tracks[0].back().nominalRect.midX(), 0.45, 1e-9);
}

TEST(LostFaceBridging, EndsAnotherTrackCoversAndTracksSeenBrieflyAreNotHeld) {
    const Rect box{0.2, 0.2, 0.1, 0.1}, beside{0.25, 0.2, 0.1, 0.1};
    // The first face goes on under the second track from frame 18: neither is held where the
    // other covers it. The third track lasts two frames.
    const Rect far{0.7, 0.7, 0.1, 0.1};
    std::vector<std::vector<RegionSample>> tracks{{}, {}, {{frame(50), far}, {frame(51), far}}};
    for (int i = 10; i <= 20; ++i) tracks[0].push_back({frame(i), box});
    for (int i = 18; i <= 40; ++i) tracks[1].push_back({frame(i), beside});
    bridgeBriefLosses(tracks, frames(60));
    EXPECT_EQ(tracks[0].front().timeStamp, frame(0)) << "nothing covers its start";
    EXPECT_EQ(tracks[0].back().timeStamp, frame(20));
    EXPECT_EQ(tracks[1].front().timeStamp, frame(18));
    EXPECT_EQ(tracks[1].back().timeStamp, frame(55)) << "nothing covers its end";
    EXPECT_EQ(tracks[2].size(), 2u);
}
