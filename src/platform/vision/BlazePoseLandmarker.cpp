#include "platform/vision/BlazePoseLandmarker.h"

#include <cmath>

#include <opencv2/imgproc.hpp>

namespace {

constexpr int VALUES_PER_LANDMARK = 5;  // x, y, z, visibility, presence
constexpr int HIP_CENTER = 33, SIZE_POINT = 34;

float sigmoid(float v) {
    return 1 / (1 + std::exp(-v));
}

}  // namespace

Loaded<std::unique_ptr<BlazePoseLandmarker>> BlazePoseLandmarker::create(
    const ModelRegistry& models) {
    using Result = Loaded<std::unique_ptr<BlazePoseLandmarker>>;
    Loaded<PooledTfliteNet> net = borrowTfliteNet(models, VisionModel::poseLandmark);
    if (!net) return Result::failure(net.error);
    return Result::success(
        std::unique_ptr<BlazePoseLandmarker>(new BlazePoseLandmarker(std::move(*net.value))));
}

PoseLandmarks BlazePoseLandmarker::landmarks(const cv::Mat& rgb, const PoseRegion& region) {
    const int side = net_->inputShape[1];
    cv::Matx23f toModel = region.toModel(side);
    cv::Mat crop;
    cv::warpAffine(rgb, crop, toModel, cv::Size(side, side), cv::INTER_LINEAR, cv::BORDER_CONSTANT,
                   cv::Scalar::all(0));
    // The model takes RGB in [0, 1].
    net_->net.setInput(cv::dnn::blobFromImage(crop, 1 / 255.0));
    std::vector<cv::Mat> outs;
    net_->net.forward(outs, {net_->outputNames[0], net_->outputNames[1]});

    cv::Matx23f toFrame;
    cv::invertAffineTransform(toModel, toFrame);
    const float* v = outs[0].ptr<float>();
    auto point = [&](int i) {
        cv::Point2f p(v[i * VALUES_PER_LANDMARK], v[i * VALUES_PER_LANDMARK + 1]);
        return cv::Point2f(toFrame(0, 0) * p.x + toFrame(0, 1) * p.y + toFrame(0, 2),
                           toFrame(1, 0) * p.x + toFrame(1, 1) * p.y + toFrame(1, 2));
    };
    PoseLandmarks out;
    for (int i = 0; i < PoseLandmarks::COUNT; ++i) {
        out.points[size_t(i)] = point(i);
        out.visibility[size_t(i)] = sigmoid(v[i * VALUES_PER_LANDMARK + 3]);
    }
    out.presence = outs[1].at<float>(0);  // already a probability
    out.nextRegion = PoseRegion::fromAlignment(point(HIP_CENTER), point(SIZE_POINT));
    return out;
}
