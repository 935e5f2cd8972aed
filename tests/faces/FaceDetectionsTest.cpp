#include "faces/FaceDetections.h"

#include <gtest/gtest.h>

TEST(FaceDetections, ConfidentFacesAreKeptAndTheFirstOfTwoOverlappingWins) {
    std::vector<FaceObservation> found{{{0.1, 0.1, 0.2, 0.2}, 0.9f},
                                       {{0.15, 0.1, 0.2, 0.2}, 0.95f},  // overlaps the first
                                       {{0.6, 0.6, 0.1, 0.1}, 0.49f},
                                       {{0.6, 0.1, 0.1, 0.1}, 0.5f}};
    auto faces = makeFaceRects(found);
    ASSERT_EQ(faces.size(), 2u);
    EXPECT_EQ(faces[0].rect, found[0].boundingBox);
    EXPECT_EQ(faces[1].rect, found[3].boundingBox);
    EXPECT_NE(faces[0].personid, faces[1].personid);
    // Exactly 30 % of either box is not an overlap.
    EXPECT_EQ(suppressOverlappingFaces({{{0, 0, 10, 1}, 1}, {{7, 0, 10, 1}, 1}}).size(), 2u);
}

TEST(FaceDetections, JointsOnACornerAreMissing) {
    auto poses = makePoseData({{Point{0, 1}, Point{0.5, 0.5}},
                               {Point{0.000001, 0}, Point{1, 1}},
                               {Point{0.3, 0.3}, std::nullopt}});
    ASSERT_EQ(poses.size(), 2u);
    EXPECT_FALSE(poses[0].nose);
    EXPECT_EQ(*poses[0].neck, (Point{0.5, 0.5}));
    EXPECT_EQ(*poses[1].nose, (Point{0.3, 0.3}));
}
