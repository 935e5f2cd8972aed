#include "platform/vision/SelfieSegmenter.h"

#include "platform/vision/VisionFrame.h"

Loaded<std::unique_ptr<SelfieSegmenter>> SelfieSegmenter::create(const ModelRegistry& models) {
    using Result = Loaded<std::unique_ptr<SelfieSegmenter>>;
    Loaded<PooledTfliteNet> net = borrowTfliteNet(models, VisionModel::selfieSegmentation);
    if (!net) return Result::failure(net.error);
    return Result::success(
        std::unique_ptr<SelfieSegmenter>(new SelfieSegmenter(std::move(*net.value))));
}

cv::Mat SelfieSegmenter::maskOf(const cv::Mat& rgb) {
    const int height = net_->inputShape[1], width = net_->inputShape[2];
    // The model takes RGB in [0, 1].
    net_->net.setInput(cv::dnn::blobFromImage(rgb, 1 / 255.0, cv::Size(width, height)));
    cv::Mat probability = net_->net.forward(net_->outputNames[0]);
    cv::Mat mask;
    cv::Mat(height, width, CV_32F, probability.ptr<float>()).convertTo(mask, CV_8U, 255);
    return mask;
}

std::optional<Image> SelfieSegmenter::personMask(const Image& frame) {
    cv::Mat rgb = rgbFrame(frame);
    if (rgb.empty()) return std::nullopt;
    try {
        return Image(maskOf(rgb));
    } catch (const cv::Exception&) {
        return std::nullopt;
    }
}
