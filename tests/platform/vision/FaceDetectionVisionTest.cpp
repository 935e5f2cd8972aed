// Face rectangles on public-domain photographs and on faces pasted into generated scenes.
#include <gtest/gtest.h>

#include <random>

#include "faces/FaceDetections.h"
#include "platform/vision/FaceSearch.h"
#include "platform/vision/TestPictures.h"
#include "platform/vision/VisionFrame.h"

namespace {

class FaceDetection : public ::testing::Test {
protected:
    // Each call a still, as `veilcut detect` searches it: every tile, a whole look by each
    // model, and only faces sure without neighbouring frames to confirm them.
    static std::unique_ptr<FaceSearch> make() {
        auto d = FaceSearch::create(
            testModels(), {.sweepFrames = 1, .minScore = FACE_SURE_CONFIDENCE, .retinaFrames = 1});
        EXPECT_TRUE(d) << d.error;
        return d ? std::move(*d.value) : nullptr;
    }
};

double iou(const Rect& a, const Rect& b) {
    double inter = a.intersection(b).width * a.intersection(b).height;
    return inter / (a.width * a.height + b.width * b.height - inter);
}

// A scene with no face: smooth colour gradients and blobs, the same for the same seed whatever
// ran before in the process.
cv::Mat background(unsigned seed) {
    cv::Mat small(9, 16, CV_8UC3);
    cv::RNG(seed).fill(small, cv::RNG::UNIFORM, 0, 256);
    cv::Mat scene;
    cv::resize(small, scene, cv::Size(768, 432), 0, 0, cv::INTER_CUBIC);
    return scene;
}

TEST_F(FaceDetection, FindsTheFaceInBothPhotographsInLowerLeftCoordinates) {
    auto detector = make();
    ASSERT_TRUE(detector);
    for (const char* name : {"astronaut.png", "grace_hopper.jpg"}) {
        cv::Mat rgb = testPictureRgb(name);
        ASSERT_FALSE(rgb.empty()) << name;
        auto faces = detector->detectFaceRectangles(rgbaImage(rgb));
        ASSERT_TRUE(faces);
        ASSERT_EQ(faces->size(), 1u) << name;
        const FaceObservation& f = faces->front();
        EXPECT_GE(f.confidence, 0.5f);
        EXPECT_LE(f.confidence, 1.0f);
        // Both faces sit in the upper part of the picture: high y with the origin at the bottom.
        EXPECT_GT(f.boundingBox.minY(), 0.4) << name;
        EXPECT_GT(f.boundingBox.width, 0.1);
    }
}

TEST_F(FaceDetection, FindsPastedFacesFrom24To200PixelsAndNothingInEmptyScenes) {
    auto detector = make();
    ASSERT_TRUE(detector);
    int trials = 0, found = 0;
    for (const char* name : {"astronaut.png", "grace_hopper.jpg"}) {
        cv::Mat photo = testPictureRgb(name);
        ASSERT_FALSE(photo.empty());
        auto faces = detector->detect(photo);
        ASSERT_FALSE(faces.empty());
        // Paste the face with a margin of context so it still looks like a head.
        cv::Rect2f face = faces.front().box;
        cv::Rect crop = cv::Rect(face.x - face.width * 0.3f, face.y - face.height * 0.3f,
                                 face.width * 1.6f, face.height * 1.6f) &
                        cv::Rect(0, 0, photo.cols, photo.rows);
        cv::Rect2f faceInCrop(face.x - float(crop.x), face.y - float(crop.y), face.width,
                              face.height);
        std::mt19937 rng(7);
        for (int faceSide : {24, 32, 48, 72, 110, 160, 200}) {
            float k = float(faceSide) / face.width;
            cv::Mat patch;
            cv::resize(photo(crop), patch, cv::Size(), k, k, cv::INTER_AREA);
            for (int position = 0; position < 6; ++position) {
                cv::Mat scene = background(unsigned(faceSide * 10 + position));
                std::uniform_int_distribution<int> x(0, scene.cols - patch.cols),
                    y(0, scene.rows - patch.rows);
                cv::Point at(x(rng), y(rng));
                patch.copyTo(scene(cv::Rect(at, patch.size())));
                cv::Rect2f truth(at.x + faceInCrop.x * k, at.y + faceInCrop.y * k, face.width * k,
                                 face.height * k);
                Rect expected = regionRect(truth, scene.size());
                ++trials;
                auto faces = detector->detectFaceRectangles(rgbaImage(scene));
                ASSERT_TRUE(faces);
                for (const FaceObservation& f : *faces)
                    if (iou(f.boundingBox, expected) >= 0.5) {
                        ++found;
                        break;
                    }
            }
        }
    }
    EXPECT_GE(double(found) / trials, 0.95) << found << " of " << trials;

    cv::Mat noise(432, 768, CV_8UC3);
    cv::RNG(1).fill(noise, cv::RNG::UNIFORM, 0, 256);
    EXPECT_TRUE(detector->detectFaceRectangles(rgbaImage(noise))->empty());
    // Now and then a blob looks enough like a face to be sure of (BlazeFace scores one of these
    // 0.61): rare is what is asked, not never.
    std::vector<unsigned> seedsWithAFace;
    for (unsigned seed = 1; seed <= 30; ++seed)
        if (!detector->detectFaceRectangles(rgbaImage(background(seed)))->empty())
            seedsWithAFace.push_back(seed);
    EXPECT_LE(seedsWithAFace.size(), 1u) << ::testing::PrintToString(seedsWithAFace);
}

// A frame's windows are shared among the networks; however many there are, each window is
// searched once and the merge sees the same detections.
TEST_F(FaceDetection, SeveralNetworksFindWhatOneFindsInEveryFrameOfASequence) {
    cv::Mat photo = testPictureRgb("grace_hopper.jpg");
    ASSERT_FALSE(photo.empty());
    auto one = FaceSearch::create(testModels(), {.workers = 1});
    auto three = FaceSearch::create(testModels(), {.workers = 3});
    ASSERT_TRUE(one && three);
    // Two small heads drifting, so that tiles and the crops that follow faces are searched.
    cv::Mat head;
    cv::resize(photo, head, cv::Size(), 0.12, 0.12, cv::INTER_AREA);
    size_t found = 0;
    for (int i = 0; i < 8; ++i) {
        cv::Mat scene = background(11);
        head.copyTo(scene(cv::Rect(cv::Point(60 + 25 * i, 60), head.size())));
        head.copyTo(scene(cv::Rect(cv::Point(600 - 20 * i, 300), head.size())));
        std::vector<SsdDetection> a = (*one.value)->detect(scene),
                                  b = (*three.value)->detect(scene);
        ASSERT_EQ(a.size(), b.size()) << "frame " << i;
        for (size_t k = 0; k < a.size(); ++k) {
            EXPECT_NEAR(a[k].box.x, b[k].box.x, 1e-3) << "frame " << i;
            EXPECT_NEAR(a[k].box.y, b[k].box.y, 1e-3) << "frame " << i;
            EXPECT_NEAR(a[k].box.width, b[k].box.width, 1e-3) << "frame " << i;
            EXPECT_NEAR(a[k].score, b[k].score, 1e-5) << "frame " << i;
        }
        found += a.size();
    }
    EXPECT_GE(found, 16u);
}

}  // namespace
