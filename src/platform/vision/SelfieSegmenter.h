#pragma once
// Person masks from the landscape selfie-segmentation model (256×144) run by OpenCV DNN. The
// frame is stretched to the model's input, so the mask covers the whole frame at 256×144.
//
// Threads: one thread at a time per instance (it owns its network).

#include <memory>

#include "platform/vision/Loaded.h"
#include "platform/vision/ModelRegistry.h"
#include "platform/vision/PersonSegmenter.h"
#include "platform/vision/TfliteNetPool.h"

class SelfieSegmenter : public PersonSegmenter {
public:
    static Loaded<std::unique_ptr<SelfieSegmenter>> create(const ModelRegistry& models);

    std::optional<Image> personMask(const Image& frame) override;
    // The mask (CV_8UC1) of an 8-bit RGB picture.
    cv::Mat maskOf(const cv::Mat& rgb);

private:
    explicit SelfieSegmenter(PooledTfliteNet net) : net_(std::move(net)) {}

    PooledTfliteNet net_;
};
