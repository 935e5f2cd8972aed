#include "platform/vision/FullRangeFaceModel.h"

#include "platform/vision/VisionFrame.h"

namespace {

constexpr int STRIDES[] = {4};
constexpr int KEYPOINTS = 6;

}  // namespace

Loaded<std::unique_ptr<FullRangeFaceModel>> FullRangeFaceModel::create(
    const ModelRegistry& models) {
    using Result = Loaded<std::unique_ptr<FullRangeFaceModel>>;
    Loaded<PooledTfliteNet> net = borrowTfliteNet(models, VisionModel::fullRangeFaceDetection);
    if (!net) return Result::failure(net.error);
    if ((*net.value)->inputShape.size() != 4 || (*net.value)->inputShape[1] != INPUT_SIZE ||
        (*net.value)->outputNames.size() != 2)
        return Result::failure("the full-range face model has an unexpected shape");
    return Result::success(
        std::unique_ptr<FullRangeFaceModel>(new FullRangeFaceModel(std::move(*net.value))));
}

FullRangeFaceModel::FullRangeFaceModel(PooledTfliteNet net)
    : net_(std::move(net)), anchors_(ssdAnchors(INPUT_SIZE, STRIDES, 1)) {}

std::vector<SsdDetection> FullRangeFaceModel::detect(const cv::Mat& rgb, const cv::Rect2f& source,
                                                     float minScore) {
    Letterbox letterbox(source, INPUT_SIZE);
    // The model takes RGB in [-1, 1].
    net_->net.setInput(cv::dnn::blobFromImage(letterbox.apply(rgb), 1 / 127.5, cv::Size(),
                                              cv::Scalar::all(127.5)));
    std::vector<cv::Mat> outs;
    net_->net.forward(outs, net_->outputNames);
    const cv::Mat* regressors = &outs[0];
    const cv::Mat* scores = &outs[1];
    if (regressors->total() < scores->total()) std::swap(regressors, scores);
    std::vector<SsdDetection> found = decodeSsd({scores->ptr<float>(), scores->total()},
                                                {regressors->ptr<float>(), regressors->total()},
                                                anchors_, {INPUT_SIZE, KEYPOINTS, minScore});
    for (SsdDetection& d : found) {
        d.box = {letterbox.toFrame(d.box.tl()), letterbox.toFrame(d.box.br())};
        for (cv::Point2f& k : d.keypoints) k = letterbox.toFrame(k);
    }
    return found;
}
