#include "platform/vision/BlazePosePersonDetector.h"

#include "platform/vision/VisionFrame.h"

namespace {

constexpr int STRIDES[] = {8, 16, 32, 32, 32};
constexpr int KEYPOINTS = 4;  // hip centre, size point, shoulder centre, upper-body size point
constexpr float MIN_SCORE = 0.5f;
constexpr float MERGE_IOU = 0.3f;

}  // namespace

Loaded<std::unique_ptr<BlazePosePersonDetector>> BlazePosePersonDetector::create(
    const ModelRegistry& models) {
    using Result = Loaded<std::unique_ptr<BlazePosePersonDetector>>;
    Loaded<PooledTfliteNet> net = borrowTfliteNet(models, VisionModel::poseDetection);
    if (!net) return Result::failure(net.error);
    return Result::success(std::unique_ptr<BlazePosePersonDetector>(
        new BlazePosePersonDetector(std::move(*net.value))));
}

BlazePosePersonDetector::BlazePosePersonDetector(PooledTfliteNet net)
    : net_(std::move(net)), anchors_(ssdAnchors(net_->inputShape[1], STRIDES)) {}

std::vector<PoseRegion> BlazePosePersonDetector::detect(const cv::Mat& rgb) {
    const int side = net_->inputShape[1];
    Letterbox letterbox(cv::Rect2f(0, 0, float(rgb.cols), float(rgb.rows)), side);
    // The model takes RGB in [-1, 1].
    net_->net.setInput(cv::dnn::blobFromImage(letterbox.apply(rgb), 1 / 127.5, cv::Size(),
                                              cv::Scalar::all(127.5)));
    std::vector<cv::Mat> outs;
    net_->net.forward(outs, net_->outputNames);
    const cv::Mat& boxes = outs[0];
    const cv::Mat& scores = outs[1];
    std::vector<SsdDetection> found = weightedNonMaxSuppression(
        decodeSsd({scores.ptr<float>(), scores.total()}, {boxes.ptr<float>(), boxes.total()},
                  anchors_, {side, KEYPOINTS, MIN_SCORE}),
        MERGE_IOU);
    std::vector<PoseRegion> regions;
    for (const SsdDetection& d : found)
        regions.push_back(PoseRegion::fromAlignment(letterbox.toFrame(d.keypoints[0]),
                                                    letterbox.toFrame(d.keypoints[1])));
    return regions;
}
