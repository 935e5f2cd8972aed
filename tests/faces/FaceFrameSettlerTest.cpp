#include "faces/FaceFrameSettler.h"

#include <gtest/gtest.h>

namespace {

VideoFrame frameAt(int i) {
    return {Image(), MediaTime(i, 30), nullptr};
}

std::vector<int> indices(const std::vector<SettledFrame>& settled) {
    std::vector<int> out;
    for (const auto& s : settled) out.push_back(int(s.frame.time.value));
    return out;
}

}  // namespace

TEST(FaceFrameSettler, FacesBetweenMoveWhereTheyOverlapAndAreHeldWhereNot) {
    std::vector<FaceRect> before{{{0.1, 0.1, 0.1, 0.1}}, {{0.5, 0.5, 0.1, 0.1}}};
    std::vector<FaceRect> after{{{0.14, 0.1, 0.1, 0.1}}, {{0.8, 0.2, 0.1, 0.1}}};
    auto mid = facesBetween(before, after, 0.25);
    ASSERT_EQ(mid.size(), 3u);
    EXPECT_NEAR(mid[0].rect.x, 0.11, 1e-12);
    EXPECT_EQ(mid[1].rect, before[1].rect);
    EXPECT_EQ(mid[2].rect, after[1].rect);
    EXPECT_NE(mid[0].personid, before[0].personid) << "each frame's faces are new records";
}

TEST(FaceFrameSettler, SkippedFramesTakeTheFacesAroundThemAndEveryFrameComesBackInOrder) {
    const Rect a{0.1, 0.1, 0.1, 0.1}, moved{0.16, 0.1, 0.1, 0.1};
    FaceFrameSettler settler;
    std::vector<SettledFrame> all;
    auto take = [&](std::vector<SettledFrame> s) {
        for (auto& f : s) all.push_back(std::move(f));
    };
    // Searched frames 0, 3 and 6 see a face, sure at first, then continued unsure; frame 7
    // follows the last search.
    take(settler.add(frameAt(0), std::vector<FaceObservation>{{a, 0.65f}}));
    take(settler.add(frameAt(1), std::nullopt));
    take(settler.add(frameAt(2), std::nullopt));
    EXPECT_TRUE(all.empty()) << "a searched frame waits for the next search";
    take(settler.add(frameAt(3), std::vector<FaceObservation>{{moved, 0.45f}}));
    EXPECT_EQ(indices(all), (std::vector<int>{0}));
    take(settler.add(frameAt(4), std::nullopt));
    take(settler.add(frameAt(5), std::nullopt));
    take(settler.add(frameAt(6), std::vector<FaceObservation>{{moved, 0.45f}}));
    take(settler.add(frameAt(7), std::nullopt));
    take(settler.finish());
    ASSERT_EQ(indices(all), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7}));
    for (const auto& s : all) ASSERT_EQ(s.faces.size(), 1u) << s.frame.time.value;
    EXPECT_EQ(all[0].faces[0].rect, a);
    EXPECT_NEAR(all[1].faces[0].rect.x, 0.12, 1e-12);
    EXPECT_NEAR(all[2].faces[0].rect.x, 0.14, 1e-12);
    EXPECT_EQ(all[7].faces[0].rect, moved) << "held after the last search";
}

TEST(FaceFrameSettler, AnUnconfirmedFaceLeavesItsFramesAndTheirNeighboursBare) {
    FaceFrameSettler settler;
    std::vector<SettledFrame> all = settler.add(frameAt(0), std::vector<FaceObservation>{});
    for (auto& s : settler.add(frameAt(1), std::nullopt)) all.push_back(std::move(s));
    for (auto& s :
         settler.add(frameAt(2), std::vector<FaceObservation>{{{0.1, 0.1, 0.1, 0.1}, 0.45f}}))
        all.push_back(std::move(s));
    for (auto& s : settler.finish()) all.push_back(std::move(s));
    ASSERT_EQ(indices(all), (std::vector<int>{0, 1, 2}));
    for (const auto& s : all) EXPECT_TRUE(s.faces.empty()) << s.frame.time.value;
}
