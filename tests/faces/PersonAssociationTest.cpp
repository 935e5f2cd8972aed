#include "faces/PersonAssociation.h"

#include <gtest/gtest.h>

namespace {

FaceRect face(Rect r, std::string id = makeUuidString()) {
    return {r, std::move(id)};
}

PoseData pose(std::optional<Point> nose, std::optional<Point> neck = std::nullopt,
              std::string id = makeUuidString()) {
    return {nose, neck, std::move(id)};
}

FrameFaces frame(std::vector<FaceRect> faces, std::vector<PoseData> poses = {}) {
    return {std::move(faces), std::move(poses), MediaTime::zero()};
}

const Rect box{0.4, 0.4, 0.2, 0.2};

}  // namespace

TEST(PersonAssociation, AFaceOverlappingOneEarlierFaceTakesItsIdAndPassesItToItsPose) {
    std::vector<FrameFaces> results{frame({face(box, "A")}),
                                    frame({face({0.42, 0.41, 0.2, 0.2})}, {pose(Point{0.5, 0.5})})};
    associateFrame(results);
    EXPECT_EQ(results[1].faces[0].personid, "A");
    EXPECT_EQ(results[1].poses[0].personid, "A");
}

TEST(PersonAssociation, TwoFacesOnOneEarlierFaceAndOneFaceOnTwo) {
    // Both current faces overlap A only: the first takes it, the second starts a person.
    std::vector<FrameFaces> results{
        frame({face(box, "A")}), frame({face({0.35, 0.4, 0.2, 0.2}), face({0.45, 0.4, 0.2, 0.2})})};
    std::string fresh = results[1].faces[1].personid;
    associateFrame(results);
    EXPECT_EQ(results[1].faces[0].personid, "A");
    EXPECT_EQ(results[1].faces[1].personid, fresh);
    // One face overlapping two earlier faces takes the one it shares more of its area with.
    std::vector<FrameFaces> two{
        frame({face({0.0, 0.4, 0.3, 0.2}, "L"), face({0.3, 0.4, 0.3, 0.2}, "R")}),
        frame({face({0.2, 0.4, 0.2, 0.2})})};
    associateFrame(two);
    EXPECT_EQ(two[1].faces[0].personid, "R");
}

TEST(PersonAssociation, LooksBackFiveFramesAtMost) {
    // Seen in frame 0, then `missing` empty frames: with 4 the last seen frame is five back and
    // still reached; with 5 it is six back and the returning face or body is a new person.
    for (bool byPose : {false, true}) {
        for (int missing : {3, 4, 5, 6}) {
            std::vector<FrameFaces> results{byPose ? frame({}, {pose(Point{0.5, 0.5}, {}, "A")})
                                                   : frame({face(box, "A")})};
            for (int i = 0; i < missing; ++i) results.push_back(frame({}));
            results.push_back(byPose ? frame({}, {pose(Point{0.5, 0.5})}) : frame({face(box)}));
            associateFrame(results);
            const std::string& id =
                byPose ? results.back().poses[0].personid : results.back().faces[0].personid;
            EXPECT_EQ(id == "A", missing <= 4) << (byPose ? "pose, " : "face, ") << missing;
        }
    }
}

TEST(PersonAssociation, NoseLinksToTheFaceHoldingItOrTheNearerCentre) {
    std::vector<FaceRect> faces{face({0.0, 0.0, 0.5, 0.5}, "F"), face({0.2, 0.2, 0.5, 0.5}, "G"),
                                face({0.8, 0.8, 0.1, 0.1}, "H")};
    std::vector<PoseData> poses{pose(Point{0.42, 0.42}), pose(Point{0.85, 0.85}),
                                pose(Point{0.95, 0.1}), pose(std::nullopt, Point{0.85, 0.85})};
    std::string outside = poses[2].personid, noseless = poses[3].personid;
    linkPosesToFaces(poses, faces);
    EXPECT_EQ(poses[0].personid, "G");  // in F and G; G's centre (0.45) is nearer than F's (0.25)
    EXPECT_EQ(poses[1].personid, "H");
    EXPECT_EQ(poses[2].personid, outside);
    EXPECT_EQ(poses[3].personid, noseless);
}

TEST(PersonAssociation, PosesMatchWhenEveryJointTheyShareIsNear) {
    auto matchedTo = [](PoseData current, PoseData earlier) {
        std::vector<FrameFaces> results{frame({}, {earlier}), frame({}, {current})};
        associateFrame(results);
        return results[1].poses[0].personid == earlier.personid;
    };
    PoseData earlier = pose(Point{0.5, 0.6}, Point{0.5, 0.4});
    EXPECT_TRUE(matchedTo(pose(Point{0.54, 0.64}, Point{0.5, 0.4}), earlier));
    EXPECT_FALSE(matchedTo(pose(Point{0.56, 0.6}, Point{0.5, 0.4}), earlier));  // nose moved 0.06
    EXPECT_TRUE(matchedTo(pose(std::nullopt, Point{0.51, 0.41}), earlier));
    EXPECT_FALSE(matchedTo(pose(Point{0.5, 0.6}), pose(std::nullopt, Point{0.5, 0.4})));
}

TEST(PersonAssociation, APoseCarriesThePersonAcrossFramesWithoutFaceAndHandsTheIdToItsFace) {
    std::vector<FrameFaces> results{frame({face(box, "A")}, {pose(Point{0.5, 0.5}, {}, "A")})};
    // The face turns away for two frames; the body is still seen.
    for (double x : {0.51, 0.52}) {
        results.push_back(frame({}, {pose(Point{x, 0.5})}));
        associateFrame(results);
        EXPECT_EQ(results.back().poses[0].personid, "A");
    }
    // The face comes back elsewhere than before (no overlap): its pose brings the id.
    results.push_back(frame({face({0.46, 0.46, 0.1, 0.1})}, {pose(Point{0.53, 0.5})}));
    associateFrame(results);
    EXPECT_EQ(results.back().faces[0].personid, "A");
    EXPECT_EQ(results.back().poses[0].personid, "A");
}
