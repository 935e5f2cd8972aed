#pragma once
// Translates TFLite operators, one at a time, into ONNX nodes. TFLite computes in NHWC; the
// translated graph keeps every 4-D tensor in NCHW, the layout OpenCV's layers run in, so
// weights, axes and paddings are permuted here and reshapes that mix layouts get transposes.
//
// Threads: one thread at a time. Borrows the graph and the builder for its lifetime.

#include <map>
#include <string>
#include <vector>

#include "platform/vision/OnnxGraphBuilder.h"
#include "platform/vision/TfliteGraph.h"

class TfliteOpTranslator {
public:
    TfliteOpTranslator(const TfliteGraph& graph, OnnxGraphBuilder& builder);

    // Declares a graph input (NCHW when 4-D) under `name`.
    void defineInput(int tensor, const std::string& name);
    // Empty on success, else the reason (naming any unsupported operator).
    std::string translate(const TfliteOperator& op);
    // The ONNX value holding a TFLite tensor; empty when it was never produced.
    std::string valueOf(int tensor) const;
    // A tensor's shape as the translated graph holds it (NCHW when 4-D).
    std::vector<std::int64_t> translatedShape(int tensor) const;

private:
    std::string operand(int tensor, size_t broadcastRank);
    std::string constantNchw(const TfliteTensor& t, size_t broadcastRank);
    std::vector<float> floats(const TfliteTensor& t) const;
    std::vector<std::int64_t> integers(const TfliteTensor& t) const;
    std::vector<std::int64_t> samePadding(const TfliteTensor& in, int kernelH, int kernelW,
                                          const TfliteOptions& o) const;
    std::string produce(const TfliteOperator& op, const std::string& opType,
                        const std::vector<std::string>& inputs,
                        const std::vector<OnnxAttribute>& attributes);

    std::string conv(const TfliteOperator& op, bool depthwise);
    std::string transposedConv(const TfliteOperator& op);
    std::string pool(const TfliteOperator& op, const std::string& opType);
    std::string reshape(const TfliteOperator& op);
    std::string pad(const TfliteOperator& op);
    std::string mean(const TfliteOperator& op);
    std::string resize(const TfliteOperator& op);

    const TfliteGraph& graph_;
    OnnxGraphBuilder& builder_;
    std::map<int, std::string> values_;
};
