#pragma once
// RetinaFace with a MobileNet-0.25 backbone, trained on WIDER FACE: anchors from 16 to 512
// pixels on strides 8, 16 and 32, so one look at a whole frame finds faces from about 12 pixels
// tall, among them dim, half-turned, sunglassed and half-covered faces that BlazeFace scores
// too low to believe. Faces are reported up to about 400 pixels tall in its input: its largest
// anchor is left out (see the source). A look at a whole frame costs many BlazeFace looks.
//
// The network is compiled for XNNPACK for one input size, fixed when it is made (its
// upsamplings' crops must meet maps of the same size: sides in multiples of 32).
//
// Threads: one thread at a time per instance (it owns its network).

#include <opencv2/core.hpp>

#include <memory>
#include <vector>

#include "platform/vision/Loaded.h"
#include "platform/vision/ModelRegistry.h"
#include "platform/vision/SsdAnchors.h"

class XnnpackNetwork;

class RetinaFaceModel {
public:
    // The input for frames of `frame` size: the frame scaled to fit `longerSide`, each side
    // rounded up to the model's coarsest stride.
    static cv::Size inputFor(cv::Size frame, int longerSide);

    static Loaded<std::unique_ptr<RetinaFaceModel>> create(const ModelRegistry& models,
                                                           cv::Size input);

    ~RetinaFaceModel();

    cv::Size inputSize() const { return input_; }

    // Faces in `source` (a part of the 8-bit RGB frame `rgb`, scaled to fit the input, top-left,
    // its pixels multiplied by `gain`) scoring at least `minScore`, in top-down frame pixels,
    // without keypoints; not merged.
    std::vector<SsdDetection> detect(const cv::Mat& rgb, const cv::Rect2f& source, float minScore,
                                     float gain = 1);

private:
    RetinaFaceModel(std::unique_ptr<XnnpackNetwork> network, cv::Size input);

    std::unique_ptr<XnnpackNetwork> network_;
    cv::Size input_;
};
