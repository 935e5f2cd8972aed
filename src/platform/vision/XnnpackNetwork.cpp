#include "platform/vision/XnnpackNetwork.h"

#include <onnx/onnx_pb.h>
#include <xnnpack.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <deque>
#include <limits>
#include <map>
#include <set>
#include <stdexcept>

namespace {

constexpr float NO_LIMIT = std::numeric_limits<float>::infinity();
constexpr uint32_t INPUT_ID = 0;

struct CompileError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

void check(xnn_status status, const std::string& what) {
    if (status != xnn_status_success)
        throw CompileError("XNNPACK refuses " + what + " (status " + std::to_string(status) + ")");
}

struct Tensor {
    uint32_t id = 0;
    int height = 0, width = 0, channels = 0;
};

// What a name of the graph stands for once compiled. A concatenation is never built: the
// convolutions reading it are split into one per part and summed, which XNNPACK can do.
struct Value {
    enum class Kind { tensor, concatenation, shapeOf } kind = Kind::tensor;
    Tensor tensor;
    std::vector<Tensor> parts;
};

std::vector<float> floats(const onnx::TensorProto& t) {
    if (t.data_type() != onnx::TensorProto::FLOAT)
        throw CompileError("constant " + t.name() + " is not float");
    size_t count = 1;
    for (auto d : t.dims()) count *= size_t(d);
    std::vector<float> out(count);
    if (t.has_raw_data()) {
        if (t.raw_data().size() != count * sizeof(float))
            throw CompileError("constant " + t.name() + " has the wrong size");
        std::memcpy(out.data(), t.raw_data().data(), t.raw_data().size());
    } else {
        if (size_t(t.float_data_size()) != count)
            throw CompileError("constant " + t.name() + " has the wrong size");
        std::copy(t.float_data().begin(), t.float_data().end(), out.begin());
    }
    return out;
}

std::vector<std::int64_t> int64s(const onnx::TensorProto& t) {
    if (t.data_type() != onnx::TensorProto::INT64)
        throw CompileError("constant " + t.name() + " is not int64");
    std::vector<std::int64_t> out(t.int64_data().begin(), t.int64_data().end());
    for (size_t i = 0; i + sizeof(std::int64_t) <= t.raw_data().size(); i += sizeof(std::int64_t)) {
        std::int64_t v;
        std::memcpy(&v, t.raw_data().data() + i, sizeof v);
        out.push_back(v);
    }
    return out;
}

const onnx::AttributeProto* attribute(const onnx::NodeProto& node, const std::string& name) {
    for (const auto& a : node.attribute())
        if (a.name() == name) return &a;
    return nullptr;
}

std::vector<std::int64_t> ints(const onnx::NodeProto& node, const std::string& name,
                               std::vector<std::int64_t> fallback) {
    const auto* a = attribute(node, name);
    return a ? std::vector<std::int64_t>(a->ints().begin(), a->ints().end()) : fallback;
}

std::int64_t integer(const onnx::NodeProto& node, const std::string& name, std::int64_t fallback) {
    const auto* a = attribute(node, name);
    return a ? a->i() : fallback;
}

float real(const onnx::NodeProto& node, const std::string& name, float fallback) {
    const auto* a = attribute(node, name);
    return a ? a->f() : fallback;
}

std::string text(const onnx::NodeProto& node, const std::string& name) {
    const auto* a = attribute(node, name);
    return a ? a->s() : std::string();
}

// A node's name for messages: ONNX names are optional, its first output's is not.
std::string label(const onnx::NodeProto& node) {
    return node.op_type() + " " + (node.name().empty() ? node.output(0) : node.name());
}

}  // namespace

struct XnnpackNetwork::Compiled {
    xnn_subgraph_t subgraph = nullptr;
    xnn_runtime_t runtime = nullptr;
    // Constants the subgraph and runtime point into; a deque never moves what it holds.
    std::deque<std::vector<float>> constants;
    float inputScale = 1, inputOffset = 0;
    cv::Mat input;
    std::vector<cv::Mat> outputs;

    ~Compiled() {
        if (runtime) xnn_delete_runtime(runtime);
        if (subgraph) xnn_delete_subgraph(subgraph);
    }
};

namespace {

class Compiler {
public:
    Compiler(const onnx::GraphProto& graph, XnnpackNetwork::Compiled& out, cv::Size input,
             const std::vector<std::string>& outputs)
        : graph_(graph), out_(out) {
        for (const auto& init : graph.initializer()) constants_[init.name()] = &init;
        for (int i = 0; i < graph.node_size(); ++i) {
            for (const auto& name : graph.node(i).input()) ++consumerCount_[name];
            for (const auto& name : graph.node(i).output()) producer_[name] = i;
        }
        for (const std::string& name : outputs) outputs_.push_back(layoutSource(name));
        for (int i = 0; i < graph.node_size(); ++i)
            for (const auto& name : graph.node(i).input())
                if (!name.empty() && !consumer_.count(name)) consumer_[name] = i;
        std::vector<std::string> inputs;
        for (const auto& in : graph.input())
            if (!constants_.count(in.name())) inputs.push_back(in.name());
        if (inputs.size() != 1) throw CompileError("the network has more than one input");
        Tensor t{INPUT_ID, input.height, input.width, 3};
        defineTensor(t, INPUT_ID, XNN_VALUE_FLAG_EXTERNAL_INPUT);
        values_[inputs[0]] = {Value::Kind::tensor, t, {}};
        rawInput_ = inputs[0];
        markNeeded();
    }

    void compile() {
        for (int i = 0; i < graph_.node_size(); ++i)
            if (needed_.count(i) && !folded_.count(i)) node(graph_.node(i));
        for (size_t i = 0; i < outputs_.size(); ++i) {
            auto found = values_.find(outputs_[i].name);
            if (found == values_.end() || found->second.kind != Value::Kind::tensor ||
                found->second.tensor.id != outputId(i))
                throw CompileError("output " + outputs_[i].name +
                                   " is not a convolution's or sum's");
            const Tensor& t = found->second.tensor;
            if (outputs_[i].reordered && t.channels != 1)
                throw CompileError("output " + outputs_[i].name + " is reshaped across channels");
            out_.outputs.emplace_back(t.height, t.width, CV_32FC(t.channels));
        }
    }

    uint32_t outputId(size_t index) const { return uint32_t(1 + index); }

private:
    // A wanted output, traced back through the reshapes and the transposition to channels-last
    // that end a detector's heads: those only reorder what XNNPACK already holds channels-last,
    // provided an NCHW tensor reshaped without that transposition has one channel.
    struct Output {
        std::string name;
        bool reordered = false;
    };

    Output layoutSource(std::string name) const {
        bool reshaped = false, transposed = false;
        for (auto p = producer_.find(name); p != producer_.end(); p = producer_.find(name)) {
            const onnx::NodeProto& n = graph_.node(p->second);
            if (n.op_type() == "Reshape")
                reshaped = true;
            else if (n.op_type() == "Transpose" &&
                     ints(n, "perm", {}) == std::vector<std::int64_t>{0, 2, 3, 1})
                transposed = true;
            else
                break;
            name = n.input(0);
        }
        return {name, reshaped && !transposed};
    }

    // Only what the wanted outputs depend on is compiled: detectors' other heads and their
    // post-processing need operations XNNPACK lacks and would cost time unused.
    void markNeeded() {
        std::vector<std::string> wanted;
        for (const Output& o : outputs_) wanted.push_back(o.name);
        while (!wanted.empty()) {
            std::string name = wanted.back();
            wanted.pop_back();
            auto p = producer_.find(name);
            if (p == producer_.end()) {
                if (!constants_.count(name) && !values_.count(name))
                    throw CompileError("the network has no " + name);
                continue;
            }
            if (!needed_.insert(p->second).second) continue;
            for (const auto& in : graph_.node(p->second).input())
                if (!in.empty()) wanted.push_back(in);
        }
    }

    const onnx::TensorProto& constant(const std::string& name) const {
        auto found = constants_.find(name);
        if (found == constants_.end()) throw CompileError(name + " is not a constant");
        return *found->second;
    }

    const Value& value(const std::string& name) const {
        auto found = values_.find(name);
        if (found == values_.end()) throw CompileError(name + " is not computed");
        return found->second;
    }

    const Tensor& tensor(const std::string& name) const {
        const Value& v = value(name);
        if (v.kind != Value::Kind::tensor) throw CompileError(name + " is not a tensor");
        return v.tensor;
    }

    void defineTensor(Tensor& t, uint32_t externalId, uint32_t flags) {
        const size_t dims[] = {1, size_t(t.height), size_t(t.width), size_t(t.channels)};
        check(xnn_define_tensor_value(out_.subgraph, xnn_datatype_fp32, 4, dims, nullptr,
                                      externalId, flags, &t.id),
              "a tensor");
    }

    // A tensor for `name`, handed out when it is one of the wanted outputs.
    Tensor newTensor(const std::string& name, int height, int width, int channels) {
        Tensor t{0, height, width, channels};
        for (size_t i = 0; i < outputs_.size(); ++i)
            if (outputs_[i].name == name) {
                defineTensor(t, outputId(i), XNN_VALUE_FLAG_EXTERNAL_OUTPUT);
                return t;
            }
        defineTensor(t, XNN_INVALID_VALUE_ID, 0);
        return t;
    }

    uint32_t staticTensor(std::vector<float> data, std::vector<size_t> dims) {
        out_.constants.push_back(std::move(data));
        uint32_t id = 0;
        check(xnn_define_tensor_value(out_.subgraph, xnn_datatype_fp32, dims.size(), dims.data(),
                                      out_.constants.back().data(), XNN_INVALID_VALUE_ID, 0, &id),
              "a constant");
        return id;
    }

    // The node reading `name` when it is its only reader and not a wanted output, else null.
    const onnx::NodeProto* soleReader(const std::string& name, const std::string& opType) const {
        if (consumerCount_.count(name) == 0 || consumerCount_.at(name) != 1) return nullptr;
        for (const Output& o : outputs_)
            if (o.name == name) return nullptr;
        const onnx::NodeProto& reader = graph_.node(consumer_.at(name));
        return reader.op_type() == opType ? &reader : nullptr;
    }

    void node(const onnx::NodeProto& n) {
        const std::string& op = n.op_type();
        if (op == "Conv") return convolution(n);
        if (op == "Relu") return relu(n);
        if (op == "Concat") return concatenation(n);
        if (op == "Resize") return text(n, "mode") == "linear" ? bilinear(n) : upsampling(n);
        if (op == "Add") return sum(n);
        if (op == "Sub" || op == "Mul") return inputScaling(n);
        if (op == "Shape") {
            values_[n.output(0)] = {Value::Kind::shapeOf, tensor(n.input(0)), {}};
            return;
        }
        if (op == "Slice") return crop(n);
        if (op == "Pad") return padding(n);
        if (op == "MaxPool") return maxPooling(n);
        throw CompileError(label(n) + ": the operation is not supported");
    }

    // Sub or Mul by a scalar straight on the input becomes part of reading the input.
    void inputScaling(const onnx::NodeProto& n) {
        if (n.input(0) != rawInput_ || n.input_size() != 2 || consumerCount_[n.input(0)] != 1)
            throw CompileError(n.op_type() + " is supported only as a scaling of the input");
        std::vector<float> c = floats(constant(n.input(1)));
        if (c.size() != 1) throw CompileError(n.op_type() + " by more than a scalar");
        if (n.op_type() == "Sub") {
            out_.inputOffset -= c[0];
        } else {
            out_.inputScale *= c[0];
            out_.inputOffset *= c[0];
        }
        values_[n.output(0)] = value(n.input(0));
        rawInput_ = n.output(0);
    }

    void convolution(const onnx::NodeProto& n) {
        const onnx::TensorProto& w = constant(n.input(1));
        if (w.dims_size() != 4) throw CompileError(label(n) + ": weights are not 4-D");
        const int outC = int(w.dims(0)), groupIn = int(w.dims(1));
        const int kh = int(w.dims(2)), kw = int(w.dims(3));
        std::vector<float> weights = floats(w);
        std::vector<float> bias(size_t(outC), 0.0f);
        if (n.input_size() > 2 && !n.input(2).empty()) bias = floats(constant(n.input(2)));
        const auto strides = ints(n, "strides", {1, 1});
        const auto pads = ints(n, "pads", {0, 0, 0, 0});
        const auto dilations = ints(n, "dilations", {1, 1});
        const int groups = int(integer(n, "group", 1));
        if (strides.size() != 2 || pads.size() != 4 || dilations.size() != 2 ||
            bias.size() != size_t(outC) || !text(n, "auto_pad").empty())
            throw CompileError(label(n) + ": unsupported convolution attributes");

        // Batch normalisation and ReLU after it are folded in.
        std::string result = n.output(0);
        float low = -NO_LIMIT;
        if (const auto* bn = soleReader(result, "BatchNormalization")) {
            std::vector<float> gamma = floats(constant(bn->input(1)));
            std::vector<float> beta = floats(constant(bn->input(2)));
            std::vector<float> mean = floats(constant(bn->input(3)));
            std::vector<float> variance = floats(constant(bn->input(4)));
            const float epsilon = real(*bn, "epsilon", 1e-5f);
            if (gamma.size() != size_t(outC) || beta.size() != gamma.size() ||
                mean.size() != gamma.size() || variance.size() != gamma.size())
                throw CompileError(label(*bn) + ": wrong size");
            const size_t perOutput = weights.size() / size_t(outC);
            for (size_t o = 0; o < size_t(outC); ++o) {
                const float k = gamma[o] / std::sqrt(variance[o] + epsilon);
                for (size_t i = 0; i < perOutput; ++i) weights[o * perOutput + i] *= k;
                bias[o] = (bias[o] - mean[o]) * k + beta[o];
            }
            folded_.insert(producer_.at(bn->output(0)));
            result = bn->output(0);
        }
        if (const auto* r = soleReader(result, "Relu")) {
            low = 0;
            folded_.insert(producer_.at(r->output(0)));
            result = r->output(0);
        }

        const Value& in = value(n.input(0));
        const std::vector<Tensor> parts =
            in.kind == Value::Kind::concatenation ? in.parts : std::vector<Tensor>{in.tensor};
        int inC = 0;
        for (const Tensor& p : parts) inC += p.channels;
        const Tensor& first = parts.front();
        const int oh = (first.height + int(pads[0] + pads[2]) - int(dilations[0]) * (kh - 1) - 1) /
                           int(strides[0]) +
                       1;
        const int ow = (first.width + int(pads[1] + pads[3]) - int(dilations[1]) * (kw - 1) - 1) /
                           int(strides[1]) +
                       1;
        if (groupIn * groups != inC || outC % groups != 0 || oh <= 0 || ow <= 0)
            throw CompileError(label(n) + ": channels do not match");
        const Tensor output = newTensor(result, oh, ow, outC);

        auto define = [&](const Tensor& input, const Tensor& target, std::vector<float> filter,
                          std::vector<float> b, float min, int g, int gIn) {
            const bool depthwise = g > 1 && gIn == 1 && outC == g;
            uint32_t filterId, biasId = staticTensor(std::move(b), {size_t(outC)});
            if (depthwise) {
                // ONNX's [C, 1, kh, kw] read as XNNPACK's [1, kh, kw, C].
                std::vector<float> hwc(filter.size());
                for (int c = 0; c < outC; ++c)
                    for (int k = 0; k < kh * kw; ++k)
                        hwc[size_t(k * outC + c)] = filter[size_t(c * kh * kw + k)];
                filterId = staticTensor(std::move(hwc), {1, size_t(kh), size_t(kw), size_t(outC)});
                check(xnn_define_depthwise_convolution_2d(
                          out_.subgraph, uint32_t(pads[0]), uint32_t(pads[3]), uint32_t(pads[2]),
                          uint32_t(pads[1]), uint32_t(kh), uint32_t(kw), uint32_t(strides[0]),
                          uint32_t(strides[1]), uint32_t(dilations[0]), uint32_t(dilations[1]), 1,
                          size_t(outC), min, NO_LIMIT, input.id, filterId, biasId, target.id, 0),
                      label(n));
                return;
            }
            // ONNX's [O, I, kh, kw] read as XNNPACK's [O, kh, kw, I].
            std::vector<float> ohwi(filter.size());
            for (int o = 0; o < outC; ++o)
                for (int i = 0; i < gIn; ++i)
                    for (int k = 0; k < kh * kw; ++k)
                        ohwi[size_t((o * kh * kw + k) * gIn + i)] =
                            filter[size_t((o * gIn + i) * kh * kw + k)];
            filterId =
                staticTensor(std::move(ohwi), {size_t(outC), size_t(kh), size_t(kw), size_t(gIn)});
            check(xnn_define_convolution_2d(
                      out_.subgraph, uint32_t(pads[0]), uint32_t(pads[3]), uint32_t(pads[2]),
                      uint32_t(pads[1]), uint32_t(kh), uint32_t(kw), uint32_t(strides[0]),
                      uint32_t(strides[1]), uint32_t(dilations[0]), uint32_t(dilations[1]),
                      uint32_t(g), size_t(gIn), size_t(outC / g), min, NO_LIMIT, input.id, filterId,
                      biasId, target.id, 0),
                  label(n));
        };

        if (parts.size() == 1) {
            define(first, output, std::move(weights), std::move(bias), low, groups, groupIn);
            return (void)(values_[result] = {Value::Kind::tensor, output, {}});
        }
        if (groups != 1) throw CompileError(label(n) + ": grouped over a concatenation");
        // conv(concat(a, b, …)) = conv_a(a) + conv_b(b) + …, the weights split by input channel.
        Tensor total;
        int from = 0;
        for (size_t p = 0; p < parts.size(); ++p) {
            const int c = parts[p].channels;
            std::vector<float> slice(size_t(outC * c * kh * kw));
            for (int o = 0; o < outC; ++o)
                std::copy_n(weights.begin() + std::ptrdiff_t((o * inC + from) * kh * kw),
                            c * kh * kw, slice.begin() + std::ptrdiff_t(o * c * kh * kw));
            Tensor partial = newTensor(std::string(), oh, ow, outC);
            define(parts[p], partial, std::move(slice),
                   p == 0 ? bias : std::vector<float>(size_t(outC), 0.0f), -NO_LIMIT, 1, c);
            if (p == 0) {
                total = partial;
            } else {
                const bool last = p + 1 == parts.size();
                Tensor next = last ? output : newTensor(std::string(), oh, ow, outC);
                check(xnn_define_add2(out_.subgraph, last ? low : -NO_LIMIT, NO_LIMIT, total.id,
                                      partial.id, next.id, 0),
                      label(n) + "'s sum");
                total = next;
            }
            from += c;
        }
        values_[result] = {Value::Kind::tensor, output, {}};
    }

    Tensor clamped(const Tensor& in, const std::string& name) {
        Tensor t = newTensor(name, in.height, in.width, in.channels);
        check(xnn_define_clamp(out_.subgraph, 0, NO_LIMIT, in.id, t.id, 0), "a ReLU");
        return t;
    }

    void relu(const onnx::NodeProto& n) {
        const Value& in = value(n.input(0));
        if (in.kind == Value::Kind::concatenation) {
            Value v{Value::Kind::concatenation, {}, {}};
            for (const Tensor& p : in.parts) v.parts.push_back(clamped(p, std::string()));
            values_[n.output(0)] = std::move(v);
            return;
        }
        values_[n.output(0)] = {Value::Kind::tensor, clamped(tensor(n.input(0)), n.output(0)), {}};
    }

    void concatenation(const onnx::NodeProto& n) {
        if (integer(n, "axis", 0) != 1) throw CompileError(label(n) + ": not across channels");
        Value v{Value::Kind::concatenation, {}, {}};
        for (const auto& name : n.input()) {
            const Value& part = value(name);
            if (part.kind == Value::Kind::concatenation)
                v.parts.insert(v.parts.end(), part.parts.begin(), part.parts.end());
            else
                v.parts.push_back(tensor(name));
        }
        for (const Tensor& p : v.parts)
            if (p.height != v.parts.front().height || p.width != v.parts.front().width)
                throw CompileError(label(n) + ": parts of different sizes");
        values_[n.output(0)] = std::move(v);
    }

    // Nearest-neighbour doubling, as a transposed convolution of ones, one channel a group.
    void upsampling(const onnx::NodeProto& n) {
        if (text(n, "mode") != "nearest" || n.input_size() < 3)
            throw CompileError(label(n) + ": only nearest upsampling by scales is supported");
        if (floats(constant(n.input(2))) != std::vector<float>{1, 1, 2, 2})
            throw CompileError(label(n) + ": only doubling is supported");
        const Tensor& in = tensor(n.input(0));
        const Tensor out = newTensor(n.output(0), in.height * 2, in.width * 2, in.channels);
        const size_t c = size_t(in.channels);
        uint32_t filterId = staticTensor(std::vector<float>(c * 4, 1.0f), {c, 2, 2, 1});
        uint32_t biasId = staticTensor(std::vector<float>(c, 0.0f), {c});
        check(xnn_define_deconvolution_2d(out_.subgraph, 0, 0, 0, 0, 0, 0, 2, 2, 2, 2, 1, 1,
                                          uint32_t(c), 1, 1, -NO_LIMIT, NO_LIMIT, in.id, filterId,
                                          biasId, out.id, 0),
              label(n));
        values_[n.output(0)] = {Value::Kind::tensor, out, {}};
    }

    // The crop after an upsampling, to the size of the map it is added to: nothing to do when
    // the sizes already agree, which they do for inputs in whole multiples of the coarsest stride.
    void crop(const onnx::NodeProto& n) {
        const Tensor& in = tensor(n.input(0));
        std::vector<std::int64_t> starts = int64s(constant(n.input(1)));
        const Value& ends = value(n.input(2));
        if (n.input_size() > 3 || ends.kind != Value::Kind::shapeOf ||
            std::any_of(starts.begin(), starts.end(), [](std::int64_t s) { return s != 0; }) ||
            ends.tensor.height != in.height || ends.tensor.width != in.width)
            throw CompileError(label(n) + ": only a crop to the same size is supported");
        values_[n.output(0)] = {Value::Kind::tensor, in, {}};
    }

    // Zeros added on the channel axis, as residual blocks widen their shortcut.
    void padding(const onnx::NodeProto& n) {
        const std::vector<std::int64_t> pads = int64s(constant(n.input(1)));
        if (text(n, "mode") != "constant" || pads.size() != 8 ||
            (n.input_size() > 2 && !n.input(2).empty() &&
             floats(constant(n.input(2))) != std::vector<float>{0}))
            throw CompileError(label(n) + ": only zero padding of a 4-D tensor is supported");
        const Tensor& in = tensor(n.input(0));
        // ONNX's NCHW begins and ends, as XNNPACK's NHWC.
        const size_t before[] = {size_t(pads[0]), size_t(pads[2]), size_t(pads[3]),
                                 size_t(pads[1])};
        const size_t after[] = {size_t(pads[4]), size_t(pads[6]), size_t(pads[7]), size_t(pads[5])};
        if (std::any_of(pads.begin(), pads.end(), [](std::int64_t p) { return p < 0; }) ||
            before[0] != 0 || after[0] != 0)
            throw CompileError(label(n) + ": unsupported padding");
        const Tensor out = newTensor(n.output(0), in.height + int(before[1] + after[1]),
                                     in.width + int(before[2] + after[2]),
                                     in.channels + int(before[3] + after[3]));
        check(xnn_define_static_constant_pad(out_.subgraph, before, after, 0, in.id, out.id, 0),
              label(n));
        values_[n.output(0)] = {Value::Kind::tensor, out, {}};
    }

    void maxPooling(const onnx::NodeProto& n) {
        const auto kernel = ints(n, "kernel_shape", {});
        const auto strides = ints(n, "strides", {1, 1});
        const auto pads = ints(n, "pads", {0, 0, 0, 0});
        if (kernel.size() != 2 || strides.size() != 2 || pads.size() != 4 ||
            ints(n, "dilations", {1, 1}) != std::vector<std::int64_t>{1, 1} ||
            integer(n, "ceil_mode", 0) != 0 || !text(n, "auto_pad").empty())
            throw CompileError(label(n) + ": unsupported pooling attributes");
        const Tensor& in = tensor(n.input(0));
        const int oh = (in.height + int(pads[0] + pads[2]) - int(kernel[0])) / int(strides[0]) + 1;
        const int ow = (in.width + int(pads[1] + pads[3]) - int(kernel[1])) / int(strides[1]) + 1;
        const Tensor out = newTensor(n.output(0), oh, ow, in.channels);
        check(xnn_define_max_pooling_2d(
                  out_.subgraph, uint32_t(pads[0]), uint32_t(pads[3]), uint32_t(pads[2]),
                  uint32_t(pads[1]), uint32_t(kernel[0]), uint32_t(kernel[1]), uint32_t(strides[0]),
                  uint32_t(strides[1]), 1, 1, -NO_LIMIT, NO_LIMIT, in.id, out.id, 0),
              label(n));
        values_[n.output(0)] = {Value::Kind::tensor, out, {}};
    }

    // Bilinear resizing to the sizes given, pixel centres placed as the model says.
    void bilinear(const onnx::NodeProto& n) {
        const std::string mode = text(n, "coordinate_transformation_mode");
        const std::map<std::string, uint32_t> flags{{"half_pixel", 0},
                                                    {"asymmetric", XNN_FLAG_TENSORFLOW_LEGACY_MODE},
                                                    {"align_corners", XNN_FLAG_ALIGN_CORNERS}};
        if (!flags.count(mode) || n.input_size() != 4)
            throw CompileError(label(n) + ": unsupported resizing");
        const std::vector<std::int64_t> sizes = int64s(constant(n.input(3)));
        const Tensor& in = tensor(n.input(0));
        if (sizes.size() != 4 || sizes[0] != 1 || sizes[1] != in.channels)
            throw CompileError(label(n) + ": only spatial resizing is supported");
        const Tensor out = newTensor(n.output(0), int(sizes[2]), int(sizes[3]), in.channels);
        check(xnn_define_static_resize_bilinear_2d(out_.subgraph, size_t(sizes[2]),
                                                   size_t(sizes[3]), in.id, out.id, flags.at(mode)),
              label(n));
        values_[n.output(0)] = {Value::Kind::tensor, out, {}};
    }

    void sum(const onnx::NodeProto& n) {
        const Tensor& a = tensor(n.input(0));
        const Tensor& b = tensor(n.input(1));
        if (a.height != b.height || a.width != b.width || a.channels != b.channels)
            throw CompileError(label(n) + ": sums of different shapes");
        const Tensor out = newTensor(n.output(0), a.height, a.width, a.channels);
        check(xnn_define_add2(out_.subgraph, -NO_LIMIT, NO_LIMIT, a.id, b.id, out.id, 0), label(n));
        values_[n.output(0)] = {Value::Kind::tensor, out, {}};
    }

    const onnx::GraphProto& graph_;
    XnnpackNetwork::Compiled& out_;
    std::vector<Output> outputs_;
    std::map<std::string, const onnx::TensorProto*> constants_;
    std::map<std::string, int> consumerCount_, producer_, consumer_;
    std::map<std::string, Value> values_;
    std::set<int> needed_, folded_;
    std::string rawInput_;  // the input as read, while only scalings have touched it
};

bool xnnpackReady() {
    static const bool ready = xnn_initialize(nullptr) == xnn_status_success;
    return ready;
}

}  // namespace

Loaded<std::unique_ptr<XnnpackNetwork>> XnnpackNetwork::compile(
    std::span<const std::uint8_t> model, cv::Size input, const std::vector<std::string>& outputs,
    XnnpackInputScaling scaling) {
    using Result = Loaded<std::unique_ptr<XnnpackNetwork>>;
    if (!xnnpackReady()) return Result::failure("XNNPACK does not run on this processor");
    onnx::ModelProto proto;
    if (!proto.ParseFromArray(model.data(), int(model.size())))
        return Result::failure("the network is not an ONNX model");
    auto compiled = std::make_unique<Compiled>();
    compiled->inputScale = scaling.scale;
    compiled->inputOffset = scaling.offset;
    try {
        check(xnn_create_subgraph(uint32_t(1 + outputs.size()), 0, &compiled->subgraph),
              "a subgraph");
        Compiler compiler(proto.graph(), *compiled, input, outputs);
        compiler.compile();
        check(xnn_create_runtime_v2(compiled->subgraph, nullptr, 0, &compiled->runtime),
              "the network");
    } catch (const CompileError& e) {
        return Result::failure(e.what());
    }
    compiled->input.create(input.height, input.width, CV_32FC3);
    std::vector<xnn_external_value> externals{{INPUT_ID, compiled->input.data}};
    for (size_t i = 0; i < compiled->outputs.size(); ++i)
        externals.push_back({uint32_t(1 + i), compiled->outputs[i].data});
    if (xnn_setup_runtime(compiled->runtime, externals.size(), externals.data()) !=
        xnn_status_success)
        return Result::failure("XNNPACK cannot set the network up");
    return Result::success(
        std::unique_ptr<XnnpackNetwork>(new XnnpackNetwork(std::move(compiled))));
}

XnnpackNetwork::XnnpackNetwork(std::unique_ptr<Compiled> compiled)
    : compiled_(std::move(compiled)) {}

XnnpackNetwork::~XnnpackNetwork() = default;

const std::vector<cv::Mat>& XnnpackNetwork::run(const cv::Mat& picture) {
    CV_Assert(picture.type() == CV_8UC3 && picture.size() == compiled_->input.size());
    picture.convertTo(compiled_->input, CV_32F, compiled_->inputScale, compiled_->inputOffset);
    if (xnn_invoke_runtime(compiled_->runtime) != xnn_status_success)
        CV_Error(cv::Error::StsError, "XNNPACK failed to run the network");
    return compiled_->outputs;
}
