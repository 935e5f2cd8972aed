#pragma once
// Builds an OpenCV DNN network from a TFLite model: reads the flatbuffer, folds the weight
// decoding, translates every operator to ONNX in memory and loads that with OpenCV's importer.
//
// The network takes one NCHW float blob (as cv::dnn::blobFromImage makes it) and yields the
// model's outputs in `outputNames` order; 4-D outputs come out NCHW.
//
// Threads: building is stateless (any thread). A built cv::dnn::Net is not thread-safe: one
// thread at a time per TfliteNet.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include <opencv2/dnn.hpp>

#include "platform/vision/Loaded.h"
#include "platform/vision/ModelRegistry.h"
#include "platform/vision/TfliteGraph.h"

struct TfliteNet {
    cv::dnn::Net net;
    std::vector<int> inputShape;  // NHWC, as the model declares it
    std::vector<std::string> outputNames;
};

// The model translated to ONNX and serialised, for a runtime other than OpenCV's; the outputs
// are named in the model's order.
struct TfliteOnnx {
    std::string model;
    std::vector<int> inputShape;  // NHWC, as the model declares it
    std::vector<std::string> outputNames;
};

Loaded<TfliteOnnx> translateTflite(TfliteGraph graph);
// A checked model from the cache, translated; errors name the model.
Loaded<TfliteOnnx> loadTfliteOnnx(const ModelRegistry& models, VisionModel model);

Loaded<TfliteNet> buildTfliteNet(std::span<const std::uint8_t> model);
Loaded<TfliteNet> buildTfliteNet(TfliteGraph graph);
// A checked model from the cache, built; errors name the model.
Loaded<TfliteNet> loadTfliteNet(const ModelRegistry& models, VisionModel model);
