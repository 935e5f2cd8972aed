#include "faces/PersonTrack.h"

#include <gtest/gtest.h>

namespace {

MediaTime frameTime(int i) {
    return MediaTime(i, 30);
}

// A slice of frames: for each, the person's face and pose (nose only), if seen.
std::vector<PersonFrame> slice(
    const std::vector<std::pair<std::optional<Rect>, std::optional<Point>>>& seen) {
    std::vector<PersonFrame> frames;
    for (size_t i = 0; i < seen.size(); ++i) {
        PersonFrame f{frameTime(int(i)), seen[i].first, std::nullopt};
        if (seen[i].second) f.pose = PoseData{seen[i].second, std::nullopt, "P"};
        frames.push_back(f);
    }
    return frames;
}

void expectRect(const Rect& got, const Rect& want) {
    EXPECT_NEAR(got.x, want.x, 1e-9);
    EXPECT_NEAR(got.y, want.y, 1e-9);
    EXPECT_NEAR(got.width, want.width, 1e-9);
    EXPECT_NEAR(got.height, want.height, 1e-9);
}

}  // namespace

TEST(PersonTrack, GapsCarryTheirSeenNeighbours) {
    using G = std::vector<std::vector<size_t>>;
    EXPECT_EQ(gaps({true, false, false, true, false}), (G{{0, 1, 2, 3}, {3, 4}}));
    EXPECT_EQ(gaps({false, true}), (G{{0, 1}}));
    EXPECT_EQ(gaps({true, true}), G{});
}

TEST(PersonTrack, PoseOnlyFramesGetTheFaceMovedWithTheNose) {
    Rect a{0.1, 0.1, 0.2, 0.2};
    // Leading pose-only frame, then face+pose, pose only, face+pose.
    auto samples = trackSamples(slice({{std::nullopt, Point{0.18, 0.2}},
                                       {a, Point{0.2, 0.2}},
                                       {std::nullopt, Point{0.25, 0.2}},
                                       {a, Point{0.2, 0.2}}}));
    ASSERT_EQ(samples.size(), 4u);
    expectRect(samples[0].nominalRect, {0.08, 0.1, 0.2, 0.2});
    // Both anchors moved with the nose land on the same place: 0.05 to the right.
    expectRect(samples[2].nominalRect, {0.15, 0.1, 0.2, 0.2});
    EXPECT_EQ(samples[2].timeStamp, frameTime(2));
}

TEST(PersonTrack, FramesWithNothingBetweenFacesAreInterpolatedInTime) {
    Rect a{0.0, 0.0, 0.2, 0.2}, b{0.3, 0.6, 0.4, 0.2};
    auto samples = trackSamples(slice({{a, std::nullopt},
                                       {std::nullopt, std::nullopt},
                                       {std::nullopt, std::nullopt},
                                       {b, std::nullopt}}));
    ASSERT_EQ(samples.size(), 4u);
    expectRect(samples[1].nominalRect, {0.1, 0.2, 0.26666666666666666, 0.2});
    expectRect(samples[2].nominalRect, {0.2, 0.4, 0.33333333333333333, 0.2});
}

// Poses are found in fewer frames than faces, so a pose in a face's gap seldom has poses at
// the gap's ends to move a face with; the face must not be left bare there, nor beside it.
TEST(PersonTrack, FramesAPoseCannotFillBetweenFacesAreInterpolatedToo) {
    Rect a{0.1, 0.1, 0.2, 0.2}, b{0.4, 0.1, 0.2, 0.2};
    auto samples = trackSamples(slice({{a, std::nullopt},
                                       {std::nullopt, std::nullopt},
                                       {std::nullopt, Point{0.2, 0.2}},
                                       {b, std::nullopt}}));
    ASSERT_EQ(samples.size(), 4u);
    expectRect(samples[1].nominalRect, {0.2, 0.1, 0.2, 0.2});
    expectRect(samples[2].nominalRect, {0.3, 0.1, 0.2, 0.2});
    EXPECT_EQ(samples[2].timeStamp, frameTime(2));
}

TEST(PersonTrack, TrackOfAnIdSpansItsFirstToLastFrameAndLeavesTheFramesAlone) {
    std::vector<FrameFaces> frames(5);
    for (int i = 0; i < 5; ++i) frames[size_t(i)].timeStamp = frameTime(i);
    frames[1].faces.push_back({{0.1, 0.1, 0.2, 0.2}, "X"});
    frames[1].faces.push_back(
        {{0.5, 0.5, 0.2, 0.2}, "X"});  // a second box of one id: the first counts
    frames[3].faces.push_back({{0.3, 0.1, 0.2, 0.2}, "X"});
    frames[4].faces.push_back({{0.9, 0.9, 0.1, 0.1}, "Y"});
    auto samples = personTrack(frames, "X");
    ASSERT_EQ(samples.size(), 3u);
    expectRect(samples[0].nominalRect, {0.1, 0.1, 0.2, 0.2});
    expectRect(samples[1].nominalRect, {0.2, 0.1, 0.2, 0.2});
    EXPECT_EQ(frames[2].faces.size(), 0u);
    EXPECT_TRUE(personTrack(frames, "Z").empty());
}
