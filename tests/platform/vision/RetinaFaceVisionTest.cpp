// RetinaFace on a photograph: one face, where the picture has it, whatever part of the frame
// is shown and at whatever input size the network is built for.
#include <gtest/gtest.h>

#include "platform/vision/RetinaFaceModel.h"
#include "platform/vision/TestPictures.h"

namespace {

float iou(const cv::Rect2f& a, const cv::Rect2f& b) {
    float inter = (a & b).area();
    return inter / (a.area() + b.area() - inter);
}

// The best detection, or an empty box.
SsdDetection best(const std::vector<SsdDetection>& found) {
    SsdDetection top;
    for (const SsdDetection& d : found)
        if (d.score > top.score) top = d;
    return top;
}

TEST(RetinaFace, FindsTheFaceInFramePixelsWhateverPartIsShownAndWhateverTheInputSize) {
    cv::Mat photo = testPictureRgb("grace_hopper.jpg");  // 512 × 600, her face near the top
    ASSERT_FALSE(photo.empty());
    const cv::Rect2f whole(0, 0, float(photo.cols), float(photo.rows));
    auto fitted =
        RetinaFaceModel::create(testModels(), RetinaFaceModel::inputFor(photo.size(), 600));
    ASSERT_TRUE(fitted) << fitted.error;
    EXPECT_EQ((*fitted.value)->inputSize(), cv::Size(512, 608));  // sides rounded up to 32
    SsdDetection face = best((*fitted.value)->detect(photo, whole, 0.5f));
    ASSERT_GE(face.score, 0.9f);
    EXPECT_TRUE(face.box.contains({256, 230})) << face.box;  // between her eyes, by hand
    EXPECT_GT(face.box.height, 150);
    EXPECT_LT(face.box.height, 260);

    // The lower right part, the face near its top-left corner, seen closer and scaled into a
    // small square input: the same box in frame pixels.
    auto square = RetinaFaceModel::create(testModels(), {192, 192});
    ASSERT_TRUE(square) << square.error;
    const cv::Rect2f part(face.box.x - 40, face.box.y - 40, 400, 400);
    SsdDetection again = best((*square.value)->detect(photo, part, 0.5f));
    EXPECT_GE(again.score, 0.9f);
    EXPECT_GT(iou(again.box, face.box), 0.7f) << again.box << " against " << face.box;

    // A part without the face: nothing sure.
    EXPECT_LT(best((*square.value)->detect(photo, {0, 420, 180, 180}, 0.5f)).score, 0.5f);
}

}  // namespace
