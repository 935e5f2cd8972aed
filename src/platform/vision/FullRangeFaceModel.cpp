#include "platform/vision/FullRangeFaceModel.h"

#include "platform/vision/TfliteNetBuilder.h"
#include "platform/vision/VisionFrame.h"
#include "platform/vision/XnnpackNetwork.h"

namespace {

constexpr int STRIDES[] = {4};
constexpr int KEYPOINTS = 6;

}  // namespace

Loaded<std::unique_ptr<FullRangeFaceModel>> FullRangeFaceModel::create(
    const ModelRegistry& models) {
    using Result = Loaded<std::unique_ptr<FullRangeFaceModel>>;
    Loaded<TfliteOnnx> onnx = loadTfliteOnnx(models, VisionModel::fullRangeFaceDetection);
    if (!onnx) return Result::failure(onnx.error);
    if (onnx.value->inputShape != std::vector<int>{1, INPUT_SIZE, INPUT_SIZE, 3} ||
        onnx.value->outputNames.size() != 2)
        return Result::failure("the full-range face model has an unexpected shape");
    // The model takes RGB in [-1, 1].
    const std::string& model = onnx.value->model;
    auto network = XnnpackNetwork::compile(
        {reinterpret_cast<const std::uint8_t*>(model.data()), model.size()},
        {INPUT_SIZE, INPUT_SIZE}, onnx.value->outputNames, {1 / 127.5f, -1});
    if (!network)
        return Result::failure("the full-range face model does not load: " + network.error);
    return Result::success(
        std::unique_ptr<FullRangeFaceModel>(new FullRangeFaceModel(std::move(*network.value))));
}

FullRangeFaceModel::FullRangeFaceModel(std::unique_ptr<XnnpackNetwork> network)
    : network_(std::move(network)), anchors_(ssdAnchors(INPUT_SIZE, STRIDES, 1)) {}

FullRangeFaceModel::~FullRangeFaceModel() = default;

std::vector<SsdDetection> FullRangeFaceModel::detect(const cv::Mat& rgb, const cv::Rect2f& source,
                                                     float minScore) {
    Letterbox letterbox(source, INPUT_SIZE);
    const std::vector<cv::Mat>& outs = network_->run(letterbox.apply(rgb));
    auto values = [](const cv::Mat& m) {
        return std::span<const float>(m.ptr<float>(), m.total() * size_t(m.channels()));
    };
    std::span<const float> regressors = values(outs[0]), scores = values(outs[1]);
    if (regressors.size() < scores.size()) std::swap(regressors, scores);
    std::vector<SsdDetection> found =
        decodeSsd(scores, regressors, anchors_, {INPUT_SIZE, KEYPOINTS, minScore});
    for (SsdDetection& d : found) {
        d.box = {letterbox.toFrame(d.box.tl()), letterbox.toFrame(d.box.br())};
        for (cv::Point2f& k : d.keypoints) k = letterbox.toFrame(k);
    }
    return found;
}
