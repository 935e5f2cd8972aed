#include "faces/FaceDetections.h"

#include <gtest/gtest.h>

TEST(FaceDetections, ConfidentFacesAreKeptAndTheFirstOfTwoOverlappingWins) {
    std::vector<FaceObservation> found{{{0.1, 0.1, 0.2, 0.2}, 0.9f},
                                       {{0.15, 0.1, 0.2, 0.2}, 0.95f},  // overlaps the first
                                       {{0.6, 0.6, 0.1, 0.1}, FACE_CONFIDENCE_THRESHOLD - 0.01f},
                                       {{0.6, 0.1, 0.1, 0.1}, FACE_CONFIDENCE_THRESHOLD},
                                       {{0.3, 0.6, 0.1, 0.1}, 0.7f}};
    auto faces = makeFaceRects(found);
    ASSERT_EQ(faces.size(), 3u);
    EXPECT_EQ(faces[0].rect, found[0].boundingBox);
    EXPECT_EQ(faces[1].rect, found[3].boundingBox);
    EXPECT_NE(faces[0].personid, faces[1].personid);
    EXPECT_EQ(faces[2].rect, found[4].boundingBox);
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

TEST(FaceDetections, UnsureFacesAreKeptWhenTheyContinueOrPrecedeASureOne) {
    const Rect a{0.1, 0.1, 0.1, 0.1}, b{0.5, 0.5, 0.1, 0.1}, c{0.8, 0.1, 0.1, 0.1};
    auto boxes = [](const std::vector<FaceObservation>& kept) {
        std::vector<Rect> r;
        for (const auto& o : kept) r.push_back(o.boundingBox);
        return r;
    };
    FaceConfirmation confirmation;
    // a: unsure in frame 0, sure in frame 1, unsure in frames 2 to 4 (kept: the sure frame
    // after, then the kept frames before). b: unsure throughout, never kept. c: sure, once;
    // under the threshold in frame 3, where a does not count.
    EXPECT_FALSE(confirmation.add({{a, 0.45f}, {b, 0.5f}}));
    auto f0 = confirmation.add({{a, 0.7f}, {c, 0.65f}, {b, 0.55f}});
    ASSERT_TRUE(f0);
    EXPECT_EQ(boxes(*f0), std::vector<Rect>{a});
    EXPECT_EQ(boxes(*confirmation.add({{a, 0.5f}, {b, 0.5f}})), (std::vector<Rect>{a, c}));
    EXPECT_EQ(boxes(*confirmation.add({{a, FACE_CONFIDENCE_THRESHOLD - 0.05f}})),
              std::vector<Rect>{a});
    EXPECT_EQ(boxes(*confirmation.add({{a, 0.42f}})), std::vector<Rect>{});  // frame 3
    EXPECT_EQ(boxes(confirmation.finish()), std::vector<Rect>{a}) << "frame 2, two back";
    EXPECT_TRUE(FaceConfirmation().finish().empty());
}

TEST(FaceDetections, AnUnsureBoxOfAnotherSizeAroundAKeptFaceDoesNotContinueIt) {
    // A small sure face, then, unsure around it, a box three times as tall (the head and
    // shoulders, or the whole picture, around it) and a box of the face's own size.
    const Rect face{0.5, 0.5, 0.05, 0.05}, around{0.45, 0.45, 0.15, 0.15},
        again{0.51, 0.5, 0.06, 0.06};
    FaceConfirmation confirmation;
    EXPECT_FALSE(confirmation.add({{face, 0.8f}}));
    ASSERT_TRUE(confirmation.add({{around, 0.45f}}));
    auto judged = confirmation.add({{again, 0.45f}});
    ASSERT_TRUE(judged);
    EXPECT_TRUE(judged->empty()) << "the larger box is not the face found again";
    auto last = confirmation.finish();
    ASSERT_EQ(last.size(), 1u) << "a box of the face's size two searches on is";
    EXPECT_EQ(last[0].boundingBox, again);
}

TEST(FaceDetections, AFaceFoundSureWhereItMovedLeavesNoUnsureBoxOnItsOldPlace) {
    // A sure face moving fast, found sure again a third of its width on, with an unsure box
    // still on its old place in that frame. Beside it, a second face found unsure there.
    const Rect face{0.30, 0.40, 0.06, 0.10}, moved{0.32, 0.40, 0.06, 0.10};
    const Rect other{0.60, 0.40, 0.06, 0.10};
    FaceConfirmation confirmation;
    EXPECT_FALSE(confirmation.add({{face, 0.8f}, {other, 0.7f}}));
    ASSERT_TRUE(confirmation.add({{moved, 0.8f}, {face, 0.4f}, {other, 0.4f}}));
    auto judged = confirmation.finish();
    ASSERT_EQ(judged.size(), 2u) << "the moved face and the other face, continued";
    EXPECT_EQ(judged[0].boundingBox, moved);
    EXPECT_EQ(judged[1].boundingBox, other);
}
