// The real RetinaFace model compiled for XNNPACK against OpenCV's importer on a photograph, at
// a landscape and a portrait input: the same face probabilities (the softmax of each anchor's
// background and face scores, which OpenCV computes in the graph) and box maps.
#include <gtest/gtest.h>

#include <onnx/onnx_pb.h>

#include <opencv2/dnn.hpp>
#include <opencv2/imgproc.hpp>

#include "platform/vision/TestPictures.h"
#include "platform/vision/XnnpackNetwork.h"

namespace {

std::string modelFor(cv::Size input) {
    auto bytes = testModels().load(VisionModel::retinaFace);
    EXPECT_TRUE(bytes) << bytes.error;
    onnx::ModelProto model;
    EXPECT_TRUE(model.ParseFromArray(bytes.value->data(), int(bytes.value->size())));
    auto* shape = model.mutable_graph()
                      ->mutable_input(0)
                      ->mutable_type()
                      ->mutable_tensor_type()
                      ->mutable_shape();
    shape->mutable_dim(2)->set_dim_value(input.height);
    shape->mutable_dim(3)->set_dim_value(input.width);
    return model.SerializeAsString();
}

TEST(XnnpackRetinaFace, GivesOpenCVsScoreAndBoxMapsAtLandscapeAndPortraitInputs) {
    const cv::Mat photo = testPictureRgb("grace_hopper.jpg");
    ASSERT_FALSE(photo.empty());
    const std::vector<std::string> outputs{
        "face_rpn_cls_score_stride32", "face_rpn_bbox_pred_stride32", "face_rpn_cls_score_stride16",
        "face_rpn_bbox_pred_stride16", "face_rpn_cls_score_stride8",  "face_rpn_bbox_pred_stride8"};
    for (cv::Size input : {cv::Size(320, 192), cv::Size(192, 352)}) {
        SCOPED_TRACE(testing::Message() << "input " << input);
        cv::Mat picture;
        cv::resize(photo, picture, input, 0, 0, cv::INTER_AREA);
        const std::string model = modelFor(input);
        auto compiled = XnnpackNetwork::compile(
            {reinterpret_cast<const std::uint8_t*>(model.data()), model.size()}, input, outputs);
        ASSERT_TRUE(compiled) << compiled.error;
        const std::vector<cv::Mat>& ours = (*compiled.value)->run(picture);

        std::vector<std::string> references;
        for (const std::string& name : outputs)
            references.push_back(name.find("cls") == std::string::npos
                                     ? name
                                     : "face_rpn_cls_prob_reshape" + name.substr(name.rfind('_')));
        cv::dnn::Net net = cv::dnn::readNetFromONNX(model.data(), model.size());
        net.setInput(cv::dnn::blobFromImage(picture));
        std::vector<cv::Mat> reference;
        net.forward(reference, references);
        ASSERT_EQ(ours.size(), reference.size());
        for (size_t i = 0; i < ours.size(); ++i) {
            const cv::Mat& r = reference[i];
            ASSERT_EQ(ours[i].channels(), r.size[1]) << outputs[i];
            ASSERT_EQ(ours[i].size(), cv::Size(r.size[3], r.size[2])) << outputs[i];
            std::vector<cv::Mat> planes;
            cv::split(ours[i], planes);
            if (i % 2 == 0) {
                // Anchor a's background score is channel a, its face score channel 2 + a.
                for (int a = 0; a < 2; ++a) {
                    cv::Mat e;
                    cv::exp(planes[size_t(a)] - planes[size_t(2 + a)], e);
                    planes[size_t(2 + a)] = 1 / (1 + e);
                    planes[size_t(a)] = 1 - planes[size_t(2 + a)];
                }
            }
            for (int c = 0; c < r.size[1]; ++c) {
                cv::Mat theirs(r.size[2], r.size[3], CV_32F,
                               const_cast<float*>(r.ptr<float>(0, c)));
                EXPECT_LT(cv::norm(planes[size_t(c)], theirs, cv::NORM_INF), 1e-3)
                    << outputs[i] << " channel " << c;
            }
        }
    }
}

}  // namespace
