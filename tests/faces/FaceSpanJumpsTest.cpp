#include "faces/FaceSpanJumps.h"

#include <gtest/gtest.h>

#include "support/TrackedRegions.h"

TEST(FaceSpanJumps, StepsThroughEveryStartAndLastFrameOfThePersonsTrims) {
    constexpr double FRAME = 1.0 / 30;
    std::vector<TrackedRegion> regions;
    regions.push_back(trackedFrom(5, 35));
    regions.push_back(trackedFrom(1, 2));
    auto next = [&](double t) { return nearestFaceEdge(regions, t, FRAME, Heading::forward); };
    auto previous = [&](double t) { return nearestFaceEdge(regions, t, FRAME, Heading::back); };

    ASSERT_TRUE(next(0));
    EXPECT_DOUBLE_EQ(*next(0), 1);
    EXPECT_NEAR(*next(1), 2 - FRAME, 1e-6) << "the last frame drawn, where a cover is still on";
    EXPECT_NEAR(*next(1.99), 5, 1e-6) << "less than half a frame away counts as there";
    EXPECT_NEAR(*next(6), 35 - FRAME, 1e-6);
    EXPECT_FALSE(next(35));
    EXPECT_NEAR(*previous(35), 35 - FRAME, 1e-6);
    EXPECT_NEAR(*previous(5), 2 - FRAME, 1e-6);
    EXPECT_FALSE(previous(1));
}
