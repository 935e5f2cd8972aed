// Body pose, person segmentation and object tracking on photographs and generated clips.
#include <gtest/gtest.h>

#include "faces/FaceDetections.h"
#include "platform/vision/BlazePoseTracker.h"
#include "platform/vision/CsrtObjectTracker.h"
#include "platform/vision/FaceSearch.h"
#include "platform/vision/SelfieSegmenter.h"
#include "platform/vision/TestPictures.h"
#include "platform/vision/VisionFrame.h"

namespace {

bool contains(const Rect& r, const Point& p) {
    return p.x >= r.minX() && p.x <= r.maxX() && p.y >= r.minY() && p.y <= r.maxY();
}

TEST(BodyPose, NoseLiesInTheFaceAndTheNeckBelowIt) {
    auto faces = FaceSearch::create(testModels(), {.minScore = FACE_SURE_CONFIDENCE});
    auto poses = BlazePoseTracker::create(testModels());
    ASSERT_TRUE(faces && poses) << faces.error << poses.error;
    for (const char* name : {"astronaut.png", "grace_hopper.jpg"}) {
        cv::Mat rgb = testPictureRgb(name);
        ASSERT_FALSE(rgb.empty());
        Image frame = rgbaImage(rgb);
        auto face = (*faces.value)->detectFaceRectangles(frame);
        (*poses.value)->reset();
        auto pose = (*poses.value)->detectBodyPoses(frame);
        ASSERT_TRUE(face && pose);
        ASSERT_EQ(face->size(), 1u);
        ASSERT_EQ(pose->size(), 1u) << name;
        ASSERT_TRUE(pose->front().nose && pose->front().neck) << name;
        EXPECT_TRUE(contains(face->front().boundingBox, *pose->front().nose)) << name;
        EXPECT_LT(pose->front().neck->y, pose->front().nose->y) << name;  // y grows upwards
    }
}

TEST(BodyPose, FollowsPeopleWithoutRerunningTheDetectorAndFindsSeveral) {
    auto made = BlazePoseTracker::create(testModels());
    ASSERT_TRUE(made) << made.error;
    BlazePoseTracker& poses = **made.value;
    cv::Mat one = testPictureRgb("astronaut.png");
    ASSERT_FALSE(one.empty());
    for (int frame = 0; frame < 4; ++frame) ASSERT_EQ(poses.track(one).size(), 1u);
    EXPECT_EQ(poses.detectorRuns(), 1);

    // Two people apart in one 768×432 scene.
    cv::Mat two(432, 768, CV_8UC3, cv::Scalar(90, 120, 150)), small;
    cv::resize(one, small, cv::Size(300, 300), 0, 0, cv::INTER_AREA);
    small.copyTo(two(cv::Rect(40, 100, 300, 300)));
    small.copyTo(two(cv::Rect(420, 60, 300, 300)));
    poses.reset();
    auto both = poses.detectBodyPoses(rgbaImage(two));
    ASSERT_TRUE(both);
    ASSERT_EQ(both->size(), 2u);
    EXPECT_NE((*both)[0].nose->x < 0.5, (*both)[1].nose->x < 0.5);  // one on each side

    cv::Mat empty(432, 768, CV_8UC3, cv::Scalar(90, 120, 150));
    EXPECT_TRUE(poses.detectBodyPoses(rgbaImage(empty))->empty());
}

TEST(PersonSegmentation, MaskIsBrightOverThePersonAndDarkInTheTopCorners) {
    auto made = SelfieSegmenter::create(testModels());
    ASSERT_TRUE(made) << made.error;
    cv::Mat rgb = testPictureRgb("astronaut.png");
    ASSERT_FALSE(rgb.empty());
    auto mask = (*made.value)->personMask(rgbaImage(rgb));
    ASSERT_TRUE(mask);
    const cv::Mat& m = mask->pixels;
    ASSERT_EQ(m.type(), CV_8UC1);
    EXPECT_EQ(m.size(), cv::Size(256, 144));
    auto at = [&](double x, double y) {  // fractions of the picture, top-down
        return m.at<std::uint8_t>(int(y * (m.rows - 1)), int(x * (m.cols - 1)));
    };
    EXPECT_GT(at(0.44, 0.25), 200);  // the face
    EXPECT_LT(at(0.02, 0.02), 50);
    EXPECT_LT(at(0.98, 0.02), 50);
}

TEST(ObjectTracking, FollowsAMovingScalingPatchAndLosesConfidenceWhenItLeaves) {
    // The same pictures whichever tests ran before in this process.
    cv::theRNG() = cv::RNG(0xFFFFFFFF);
    cv::Mat texture(20, 20, CV_8UC3), patch;
    cv::randu(texture, 0, 255);
    cv::resize(texture, patch, cv::Size(80, 80), 0, 0, cv::INTER_CUBIC);
    cv::Mat small(9, 16, CV_8UC3), scene;
    cv::randu(small, 60, 160);
    cv::resize(small, scene, cv::Size(768, 432), 0, 0, cv::INTER_CUBIC);

    CsrtObjectTracker tracker;
    double iouSum = 0;
    int visibleFrames = 40, lostAfter = -1;
    for (int f = 0; f < visibleFrames + 5; ++f) {
        cv::Mat frame = scene.clone();
        int side = 80 + f;  // grows while it moves right and down
        cv::Rect truth(100 + 6 * f, 60 + 3 * f, side, side);
        if (f < visibleFrames) {
            cv::Mat p;
            cv::resize(patch, p, truth.size());
            p.copyTo(frame(truth));
        }
        Rect expected = regionRect(cv::Rect2f(truth), frame.size());
        auto seen = tracker.track(rgbaImage(frame), expected);
        ASSERT_TRUE(seen);
        ASSERT_GE(seen->confidence, 0.f);
        ASSERT_LE(seen->confidence, 1.f);
        if (f < visibleFrames) {
            Rect i = seen->boundingBox.intersection(expected);
            double inter = i.width * i.height;
            iouSum += inter / (seen->boundingBox.width * seen->boundingBox.height +
                               expected.width * expected.height - inter);
        } else if (lostAfter < 0 && seen->confidence < 0.5f) {
            lostAfter = f - visibleFrames + 1;
        }
    }
    EXPECT_GE(iouSum / visibleFrames, 0.7);
    EXPECT_GE(lostAfter, 1);
    EXPECT_LE(lostAfter, 3);
}

}  // namespace
