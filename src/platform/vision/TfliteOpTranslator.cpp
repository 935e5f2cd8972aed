#include "platform/vision/TfliteOpTranslator.h"

#include <cstring>
#include <stdexcept>

namespace {

struct TranslationError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Position of an NHWC axis in NCHW.
constexpr std::int64_t NCHW_AXIS[] = {0, 2, 3, 1};

std::int64_t nchwAxis(std::int64_t axis, size_t rank) {
    if (axis < 0) axis += std::int64_t(rank);
    if (axis < 0 || axis >= std::int64_t(rank)) throw TranslationError("axis out of range");
    return rank == 4 ? NCHW_AXIS[axis] : axis;
}

// A 4-D NHWC tensor whose elements lie in the same order in NCHW.
bool layoutsAgree(const std::vector<int>& nhwc) {
    return nhwc.size() == 4 && (nhwc[1] * nhwc[2] == 1 || nhwc[3] == 1);
}

std::vector<std::int64_t> nchwShape(const std::vector<int>& nhwc) {
    return {nhwc[0], nhwc[3], nhwc[1], nhwc[2]};
}

std::vector<std::int64_t> wide(const std::vector<int>& v) {
    return {v.begin(), v.end()};
}

std::string operatorName(const TfliteOperator& op) {
    if (op.code == int(TfliteOp::custom)) return "custom operator " + op.customCode;
    return std::string("builtin operator ").append(std::to_string(op.code));
}

}  // namespace

TfliteOpTranslator::TfliteOpTranslator(const TfliteGraph& graph, OnnxGraphBuilder& builder)
    : graph_(graph), builder_(builder) {}

void TfliteOpTranslator::defineInput(int tensor, const std::string& name) {
    builder_.addInput(name, translatedShape(tensor));
    values_[tensor] = name;
}

std::vector<std::int64_t> TfliteOpTranslator::translatedShape(int tensor) const {
    const std::vector<int>& shape = graph_.tensors[size_t(tensor)].shape;
    return shape.size() == 4 ? nchwShape(shape) : wide(shape);
}

std::string TfliteOpTranslator::valueOf(int tensor) const {
    auto it = values_.find(tensor);
    return it == values_.end() ? std::string() : it->second;
}

std::vector<float> TfliteOpTranslator::floats(const TfliteTensor& t) const {
    if (t.type != TfliteType::float32) throw TranslationError("constant is not float32: " + t.name);
    std::vector<float> v(t.data.size() / sizeof(float));
    std::memcpy(v.data(), t.data.data(), v.size() * sizeof(float));
    return v;
}

std::vector<std::int64_t> TfliteOpTranslator::integers(const TfliteTensor& t) const {
    if (!t.isConstant()) throw TranslationError("expected a constant: " + t.name);
    std::vector<std::int64_t> v;
    if (t.type == TfliteType::int32) {
        for (size_t i = 0; i + 4 <= t.data.size(); i += 4) {
            std::int32_t x;
            std::memcpy(&x, &t.data[i], 4);
            v.push_back(x);
        }
    } else if (t.type == TfliteType::int64) {
        v.resize(t.data.size() / 8);
        std::memcpy(v.data(), t.data.data(), v.size() * 8);
    } else {
        throw TranslationError("expected integers: " + t.name);
    }
    return v;
}

std::string TfliteOpTranslator::constantNchw(const TfliteTensor& t, size_t broadcastRank) {
    std::vector<float> v = floats(t);
    const std::vector<int>& s = t.shape;
    if (s.size() == 4) {
        std::vector<float> nchw(v.size());
        size_t n = size_t(s[0]), h = size_t(s[1]), w = size_t(s[2]), c = size_t(s[3]);
        if (v.size() != n * h * w * c) throw TranslationError("constant size mismatch: " + t.name);
        for (size_t i = 0; i < n * h * w; ++i)
            for (size_t k = 0; k < c; ++k)
                nchw[(i / (h * w) * c + k) * h * w + i % (h * w)] = v[i * c + k];
        return builder_.addFloatConstant(nchwShape(s), nchw);
    }
    // A per-channel vector broadcast against a 4-D tensor runs along NCHW's channel axis.
    if (broadcastRank == 4 && s.size() == 1) return builder_.addFloatConstant({s[0], 1, 1}, v);
    if (s.empty()) return builder_.addFloatConstant({1}, v);
    return builder_.addFloatConstant(wide(s), v);
}

std::string TfliteOpTranslator::operand(int tensor, size_t broadcastRank) {
    if (tensor < 0) throw TranslationError("missing operand");
    if (std::string v = valueOf(tensor); !v.empty()) return v;
    const TfliteTensor& t = graph_.tensors[size_t(tensor)];
    if (!t.isConstant()) throw TranslationError("tensor used before it is computed: " + t.name);
    std::string name = constantNchw(t, broadcastRank);
    if (broadcastRank == t.shape.size()) values_[tensor] = name;
    return name;
}

std::string TfliteOpTranslator::produce(const TfliteOperator& op, const std::string& opType,
                                        const std::vector<std::string>& inputs,
                                        const std::vector<OnnxAttribute>& attributes) {
    if (op.outputs.size() != 1) throw TranslationError("expected one output");
    std::string result = std::string("t").append(std::to_string(op.outputs[0]));
    TfliteActivation act = op.options.activation;
    std::string value = builder_.addNode(opType, inputs, attributes,
                                         act == TfliteActivation::none ? result : std::string());
    switch (act) {
        case TfliteActivation::none:
            break;
        case TfliteActivation::relu:
            builder_.addNode("Relu", {value}, {}, result);
            break;
        case TfliteActivation::relu6:
            // OpenCV 4.6 reads Clip's bounds only from attributes (the pre-opset-11 form).
            builder_.addNode("Clip", {value},
                             {OnnxAttribute::of("min", 0.f), OnnxAttribute::of("max", 6.f)},
                             result);
            break;
        case TfliteActivation::reluN1To1:
            builder_.addNode("Clip", {value},
                             {OnnxAttribute::of("min", -1.f), OnnxAttribute::of("max", 1.f)},
                             result);
            break;
        default:
            throw TranslationError(
                std::string("unsupported fused activation ").append(std::to_string(int(act))));
    }
    values_[op.outputs[0]] = result;
    return {};
}

std::vector<std::int64_t> TfliteOpTranslator::samePadding(const TfliteTensor& in, int kernelH,
                                                          int kernelW,
                                                          const TfliteOptions& o) const {
    if (in.shape.size() != 4) throw TranslationError("expected a 4-D input: " + in.name);
    if (o.padding == TflitePadding::valid) return {0, 0, 0, 0};
    auto total = [](int size, int kernel, int stride, int dilation) {
        int effective = (kernel - 1) * dilation + 1;
        int out = (size + stride - 1) / stride;
        return std::max((out - 1) * stride + effective - size, 0);
    };
    int h = total(in.shape[1], kernelH, o.strideH, o.dilationH);
    int w = total(in.shape[2], kernelW, o.strideW, o.dilationW);
    return {h / 2, w / 2, h - h / 2, w - w / 2};
}

std::string TfliteOpTranslator::conv(const TfliteOperator& op, bool depthwise) {
    if (op.inputs.size() < 2) throw TranslationError("convolution without weights");
    const TfliteTensor& in = graph_.tensors[size_t(op.inputs[0])];
    const TfliteTensor& filter = graph_.tensors[size_t(op.inputs[1])];
    if (filter.shape.size() != 4 || !filter.isConstant())
        throw TranslationError("convolution weights must be a 4-D constant: " + filter.name);
    std::vector<float> w = floats(filter);
    // TFLite filters are [O, kh, kw, I] (depthwise: [1, kh, kw, O]); ONNX wants [O, I, kh, kw].
    int o = depthwise ? filter.shape[3] : filter.shape[0];
    int kh = filter.shape[1], kw = filter.shape[2];
    int i = depthwise ? 1 : filter.shape[3];
    std::vector<float> oihw(w.size());
    for (int a = 0; a < o; ++a)
        for (int y = 0; y < kh; ++y)
            for (int x = 0; x < kw; ++x)
                for (int b = 0; b < i; ++b) {
                    size_t from = depthwise ? size_t((y * kw + x) * o + a)
                                            : size_t(((a * kh + y) * kw + x) * i + b);
                    oihw[size_t(((a * i + b) * kh + y) * kw + x)] = w[from];
                }
    std::vector<std::string> inputs = {operand(op.inputs[0], 4),
                                       builder_.addFloatConstant({o, i, kh, kw}, oihw)};
    if (op.inputs.size() > 2 && op.inputs[2] >= 0)
        inputs.push_back(
            builder_.addFloatConstant({o}, floats(graph_.tensors[size_t(op.inputs[2])])));
    const TfliteOptions& opt = op.options;
    return produce(
        op, "Conv", inputs,
        {OnnxAttribute::of("kernel_shape", std::vector<std::int64_t>{kh, kw}),
         OnnxAttribute::of("strides", std::vector<std::int64_t>{opt.strideH, opt.strideW}),
         OnnxAttribute::of("dilations", std::vector<std::int64_t>{opt.dilationH, opt.dilationW}),
         OnnxAttribute::of("pads", samePadding(in, kh, kw, opt)),
         OnnxAttribute::of("group", std::int64_t(depthwise ? in.shape[3] : 1))});
}

std::string TfliteOpTranslator::transposedConv(const TfliteOperator& op) {
    // The custom op's options are {padding (1 same, 2 valid), stride w, stride h} as int32.
    if (op.customOptions.size() < 12 || op.inputs.size() < 3)
        throw TranslationError("malformed Convolution2DTransposeBias");
    std::int32_t params[3];
    std::memcpy(params, op.customOptions.data(), sizeof params);
    const TfliteTensor& in = graph_.tensors[size_t(op.inputs[0])];
    const TfliteTensor& filter = graph_.tensors[size_t(op.inputs[1])];
    if (filter.shape.size() != 4 || in.shape.size() != 4)
        throw TranslationError("Convolution2DTransposeBias needs 4-D tensors");
    int o = filter.shape[0], kh = filter.shape[1], kw = filter.shape[2], i = filter.shape[3];
    std::vector<float> w = floats(filter);
    // [O, kh, kw, I] to ONNX ConvTranspose's [I, O, kh, kw].
    std::vector<float> iohw(w.size());
    for (int a = 0; a < o; ++a)
        for (int y = 0; y < kh; ++y)
            for (int x = 0; x < kw; ++x)
                for (int b = 0; b < i; ++b)
                    iohw[size_t(((b * o + a) * kh + y) * kw + x)] =
                        w[size_t(((a * kh + y) * kw + x) * i + b)];
    int sw = params[1], sh = params[2];
    bool same = params[0] == 1;
    // SAME gives in·stride outputs; VALID gives (in − 1)·stride + kernel.
    auto pads = [&](int kernel, int stride) { return same ? kernel - stride : 0; };
    int ph = pads(kh, sh), pw = pads(kw, sw);
    if (ph < 0 || pw < 0) throw TranslationError("Convolution2DTransposeBias kernel below stride");
    std::vector<std::string> inputs = {
        operand(op.inputs[0], 4), builder_.addFloatConstant({i, o, kh, kw}, iohw),
        builder_.addFloatConstant({o}, floats(graph_.tensors[size_t(op.inputs[2])]))};
    return produce(op, "ConvTranspose", inputs,
                   {OnnxAttribute::of("kernel_shape", std::vector<std::int64_t>{kh, kw}),
                    OnnxAttribute::of("strides", std::vector<std::int64_t>{sh, sw}),
                    OnnxAttribute::of("pads", std::vector<std::int64_t>{ph / 2, pw / 2, ph - ph / 2,
                                                                        pw - pw / 2})});
}

std::string TfliteOpTranslator::pool(const TfliteOperator& op, const std::string& opType) {
    const TfliteTensor& in = graph_.tensors[size_t(op.inputs.at(0))];
    const TfliteOptions& opt = op.options;
    return produce(
        op, opType, {operand(op.inputs[0], 4)},
        {OnnxAttribute::of("kernel_shape", std::vector<std::int64_t>{opt.filterH, opt.filterW}),
         OnnxAttribute::of("strides", std::vector<std::int64_t>{opt.strideH, opt.strideW}),
         OnnxAttribute::of("pads", samePadding(in, opt.filterH, opt.filterW, opt)),
         OnnxAttribute::of("count_include_pad", std::int64_t(0))});
}

std::string TfliteOpTranslator::reshape(const TfliteOperator& op) {
    const TfliteTensor& in = graph_.tensors[size_t(op.inputs.at(0))];
    const TfliteTensor& out = graph_.tensors[size_t(op.outputs.at(0))];
    std::string value = operand(op.inputs[0], in.shape.size());
    if (in.shape.size() == 4 && !layoutsAgree(in.shape))
        value =
            builder_.addNode("Transpose", {value},
                             {OnnxAttribute::of("perm", std::vector<std::int64_t>{0, 2, 3, 1})});
    if (out.shape.size() == 4 && !layoutsAgree(out.shape)) {
        value = builder_.addNode("Reshape", {value, builder_.addInt64Constant(wide(out.shape))});
        return produce(op, "Transpose", {value},
                       {OnnxAttribute::of("perm", std::vector<std::int64_t>{0, 3, 1, 2})});
    }
    std::vector<std::int64_t> shape =
        out.shape.size() == 4 ? nchwShape(out.shape) : wide(out.shape);
    return produce(op, "Reshape", {value, builder_.addInt64Constant(shape)}, {});
}

std::string TfliteOpTranslator::pad(const TfliteOperator& op) {
    const TfliteTensor& in = graph_.tensors[size_t(op.inputs.at(0))];
    std::vector<std::int64_t> p = integers(graph_.tensors[size_t(op.inputs.at(1))]);
    size_t rank = in.shape.size();
    if (p.size() != 2 * rank) throw TranslationError("paddings do not match the input's rank");
    std::vector<std::int64_t> pads(2 * rank);
    for (size_t a = 0; a < rank; ++a) {
        auto to = size_t(nchwAxis(std::int64_t(a), rank));
        pads[to] = p[2 * a];
        pads[rank + to] = p[2 * a + 1];
    }
    return produce(op, "Pad", {operand(op.inputs[0], rank), builder_.addInt64Constant(pads)},
                   {OnnxAttribute::of("mode", std::string("constant"))});
}

std::string TfliteOpTranslator::mean(const TfliteOperator& op) {
    const TfliteTensor& in = graph_.tensors[size_t(op.inputs.at(0))];
    std::vector<std::int64_t> axes;
    for (std::int64_t a : integers(graph_.tensors[size_t(op.inputs.at(1))]))
        axes.push_back(nchwAxis(a, in.shape.size()));
    return produce(op, "ReduceMean", {operand(op.inputs[0], in.shape.size())},
                   {OnnxAttribute::of("axes", axes),
                    OnnxAttribute::of("keepdims", std::int64_t(op.options.keepDims))});
}

std::string TfliteOpTranslator::resize(const TfliteOperator& op) {
    const TfliteTensor& out = graph_.tensors[size_t(op.outputs.at(0))];
    if (out.shape.size() != 4) throw TranslationError("RESIZE_BILINEAR needs a 4-D output");
    std::string mode = op.options.alignCorners       ? "align_corners"
                       : op.options.halfPixelCenters ? "half_pixel"
                                                     : "asymmetric";
    std::string none = builder_.addFloatConstant({0}, {});
    return produce(
        op, "Resize",
        {operand(op.inputs.at(0), 4), none, none, builder_.addInt64Constant(nchwShape(out.shape))},
        {OnnxAttribute::of("mode", std::string("linear")),
         OnnxAttribute::of("coordinate_transformation_mode", mode)});
}

std::string TfliteOpTranslator::translate(const TfliteOperator& op) {
    try {
        auto rankOf = [&](size_t k) {
            return op.inputs.size() > k && op.inputs[k] >= 0
                       ? graph_.tensors[size_t(op.inputs[k])].shape.size()
                       : 0;
        };
        switch (TfliteOp(op.code)) {
            case TfliteOp::conv2d:
                return conv(op, false);
            case TfliteOp::depthwiseConv2d:
                return conv(op, true);
            case TfliteOp::averagePool2d:
                return pool(op, "AveragePool");
            case TfliteOp::maxPool2d:
                return pool(op, "MaxPool");
            case TfliteOp::add:
            case TfliteOp::mul: {
                size_t rank = std::max(rankOf(0), rankOf(1));
                return produce(op, op.code == int(TfliteOp::add) ? "Add" : "Mul",
                               {operand(op.inputs.at(0), rank), operand(op.inputs.at(1), rank)},
                               {});
            }
            case TfliteOp::concatenation: {
                std::vector<std::string> inputs;
                for (int t : op.inputs) inputs.push_back(operand(t, rankOf(0)));
                return produce(op, "Concat", inputs,
                               {OnnxAttribute::of("axis", nchwAxis(op.options.axis, rankOf(0)))});
            }
            case TfliteOp::depthToSpace:
                return produce(op, "DepthToSpace", {operand(op.inputs.at(0), 4)},
                               {OnnxAttribute::of("blocksize", std::int64_t(op.options.blockSize)),
                                OnnxAttribute::of("mode", std::string("DCR"))});
            case TfliteOp::hardSwish:
                return produce(op, "HardSwish", {operand(op.inputs.at(0), rankOf(0))}, {});
            case TfliteOp::logistic:
                return produce(op, "Sigmoid", {operand(op.inputs.at(0), rankOf(0))}, {});
            case TfliteOp::relu:
                return produce(op, "Relu", {operand(op.inputs.at(0), rankOf(0))}, {});
            case TfliteOp::relu6:
                return produce(op, "Clip", {operand(op.inputs.at(0), rankOf(0))},
                               {OnnxAttribute::of("min", 0.f), OnnxAttribute::of("max", 6.f)});
            case TfliteOp::reshape:
                return reshape(op);
            case TfliteOp::pad:
                return pad(op);
            case TfliteOp::mean:
                return mean(op);
            case TfliteOp::resizeBilinear:
                return resize(op);
            case TfliteOp::custom:
                if (op.customCode == "Convolution2DTransposeBias") return transposedConv(op);
                break;
            default:
                break;
        }
        return "unsupported TFLite operator: " + operatorName(op);
    } catch (const TranslationError& e) {
        return operatorName(op) + ": " + e.what();
    } catch (const std::out_of_range&) {
        return operatorName(op) + ": missing operand";
    }
}
