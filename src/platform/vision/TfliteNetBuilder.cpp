#include "platform/vision/TfliteNetBuilder.h"

#include "platform/vision/OnnxGraphBuilder.h"
#include "platform/vision/TfliteConstantFolder.h"
#include "platform/vision/TfliteOpTranslator.h"
#include "platform/vision/TfliteReader.h"

namespace {

std::string modelError(VisionModel model, const std::string& error) {
    return "cannot load " + std::string(ModelRegistry::info(model).fileName) + ": " + error;
}

Loaded<TfliteNet> loadedByOpenCV(TfliteOnnx onnx) {
    using Result = Loaded<TfliteNet>;
    TfliteNet result;
    result.inputShape = std::move(onnx.inputShape);
    result.outputNames = std::move(onnx.outputNames);
    try {
        result.net = cv::dnn::readNetFromONNX(onnx.model.data(), onnx.model.size());
    } catch (const cv::Exception& e) {
        return Result::failure("OpenCV cannot load the translated model: " + e.msg);
    }
    if (result.net.empty()) return Result::failure("OpenCV cannot load the translated model");
    return Result::success(std::move(result));
}

}  // namespace

Loaded<TfliteNet> buildTfliteNet(std::span<const std::uint8_t> model) {
    Loaded<TfliteGraph> graph = readTfliteGraph(model);
    if (!graph) return Loaded<TfliteNet>::failure(graph.error);
    return buildTfliteNet(std::move(*graph.value));
}

Loaded<TfliteOnnx> translateTflite(TfliteGraph graph) {
    using Result = Loaded<TfliteOnnx>;
    if (graph.inputs.size() != 1) return Result::failure("TFLite model must have one input");
    if (std::string error = foldWeightDecoding(graph); !error.empty())
        return Result::failure("cannot fold TFLite weights: " + error);

    OnnxGraphBuilder builder;
    TfliteOpTranslator translator(graph, builder);
    translator.defineInput(graph.inputs[0], "input");
    for (const TfliteOperator& op : graph.operators)
        if (std::string error = translator.translate(op); !error.empty())
            return Result::failure("cannot translate TFLite model: " + error);

    TfliteOnnx result;
    result.inputShape = graph.tensors[size_t(graph.inputs[0])].shape;
    for (int t : graph.outputs) {
        std::string name = translator.valueOf(t);
        if (name.empty()) return Result::failure("TFLite model output is never computed");
        builder.addOutput(name, translator.translatedShape(t));
        result.outputNames.push_back(name);
    }
    result.model = builder.serialize();
    return Result::success(std::move(result));
}

Loaded<TfliteNet> buildTfliteNet(TfliteGraph graph) {
    Loaded<TfliteOnnx> onnx = translateTflite(std::move(graph));
    if (!onnx) return Loaded<TfliteNet>::failure(onnx.error);
    return loadedByOpenCV(std::move(*onnx.value));
}

Loaded<TfliteOnnx> loadTfliteOnnx(const ModelRegistry& models, VisionModel model) {
    auto bytes = models.load(model);
    if (!bytes) return Loaded<TfliteOnnx>::failure(bytes.error);
    Loaded<TfliteGraph> graph = readTfliteGraph(*bytes.value);
    Loaded<TfliteOnnx> onnx =
        graph ? translateTflite(std::move(*graph.value)) : Loaded<TfliteOnnx>::failure(graph.error);
    if (!onnx) onnx.error = modelError(model, onnx.error);
    return onnx;
}

Loaded<TfliteNet> loadTfliteNet(const ModelRegistry& models, VisionModel model) {
    Loaded<TfliteOnnx> onnx = loadTfliteOnnx(models, model);
    if (!onnx) return Loaded<TfliteNet>::failure(onnx.error);
    Loaded<TfliteNet> net = loadedByOpenCV(std::move(*onnx.value));
    if (!net) net.error = modelError(model, net.error);
    return net;
}
