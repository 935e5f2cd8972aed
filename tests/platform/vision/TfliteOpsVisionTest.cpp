// Each TFLite operator the models use, translated and run through OpenCV, against a direct
// computation of what TFLite defines (NHWC, TensorFlow's SAME padding).
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

#include <opencv2/imgproc.hpp>

#include "platform/vision/TfliteNetBuilder.h"

namespace {

using Shape = std::vector<int>;

std::vector<std::uint8_t> bytesOf(const std::vector<float>& v) {
    std::vector<std::uint8_t> b(v.size() * 4);
    std::memcpy(b.data(), v.data(), b.size());
    return b;
}

std::vector<std::uint8_t> bytesOf(const std::vector<std::int32_t>& v) {
    std::vector<std::uint8_t> b(v.size() * 4);
    std::memcpy(b.data(), v.data(), b.size());
    return b;
}

std::vector<float> randomValues(size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> u(-1, 1);
    std::vector<float> v(n);
    for (float& x : v) x = u(rng);
    return v;
}

size_t countOf(const Shape& s) {
    size_t n = 1;
    for (int d : s) n *= size_t(d);
    return n;
}

// A one-input graph built operator by operator.
struct GraphMaker {
    TfliteGraph graph;

    int tensor(Shape shape, std::vector<std::uint8_t> data = {},
               TfliteType type = TfliteType::float32) {
        graph.tensors.push_back({"t" + std::to_string(graph.tensors.size()), std::move(shape), type,
                                 std::move(data), std::nullopt});
        return int(graph.tensors.size()) - 1;
    }
    int constant(Shape shape, const std::vector<float>& v) { return tensor(shape, bytesOf(v)); }
    int input(Shape shape) {
        int t = tensor(std::move(shape));
        graph.inputs = {t};
        return t;
    }
    int op(TfliteOp code, std::vector<int> inputs, Shape outShape, TfliteOptions options = {}) {
        int out = tensor(std::move(outShape));
        graph.operators.push_back({int(code), "", std::move(inputs), {out}, options, {}});
        graph.outputs = {out};
        return out;
    }
};

// Runs the graph on an NHWC input and returns the output in TFLite's layout.
std::vector<float> run(const TfliteGraph& graph, const std::vector<float>& nhwc) {
    Loaded<TfliteNet> net = buildTfliteNet(graph);
    if (!net) {
        ADD_FAILURE() << net.error;
        return {};
    }
    const Shape& s = graph.tensors[size_t(graph.inputs[0])].shape;
    cv::Mat blob(std::vector<int>{s[0], s[3], s[1], s[2]}, CV_32F);
    for (int y = 0; y < s[1]; ++y)
        for (int x = 0; x < s[2]; ++x)
            for (int c = 0; c < s[3]; ++c)
                blob.ptr<float>(0, c)[y * s[2] + x] = nhwc[size_t((y * s[2] + x) * s[3] + c)];
    net.value->net.setInput(blob);
    cv::Mat out = net.value->net.forward(net.value->outputNames[0]).clone();
    std::vector<float> result(out.ptr<float>(), out.ptr<float>() + out.total());
    const Shape& o = graph.tensors[size_t(graph.outputs[0])].shape;
    if (o.size() != 4) return result;
    std::vector<float> back(result.size());
    for (int c = 0; c < o[3]; ++c)
        for (int i = 0; i < o[1] * o[2]; ++i)
            back[size_t(i * o[3] + c)] = result[size_t(c * o[1] * o[2] + i)];
    return back;
}

void expectNear(const std::vector<float>& actual, const std::vector<float>& expected,
                float tolerance = 1e-4f) {
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < actual.size(); ++i)
        ASSERT_NEAR(actual[i], expected[i], tolerance) << "element " << i;
}

// TensorFlow's SAME padding before the first element.
int padBefore(int size, int kernel, int stride) {
    int out = (size + stride - 1) / stride;
    return std::max((out - 1) * stride + kernel - size, 0) / 2;
}

// Convolution in TFLite's terms; depthwise filters are [1, kh, kw, C].
std::vector<float> referenceConv(const std::vector<float>& in, Shape is,
                                 const std::vector<float>& w, Shape ws,
                                 const std::vector<float>& bias, int stride, Shape os,
                                 bool depthwise) {
    std::vector<float> out(countOf(os));
    int pt = padBefore(is[1], ws[1], stride), pl = padBefore(is[2], ws[2], stride);
    for (int y = 0; y < os[1]; ++y)
        for (int x = 0; x < os[2]; ++x)
            for (int o = 0; o < os[3]; ++o) {
                float acc = bias[size_t(o)];
                for (int ky = 0; ky < ws[1]; ++ky)
                    for (int kx = 0; kx < ws[2]; ++kx) {
                        int iy = y * stride + ky - pt, ix = x * stride + kx - pl;
                        if (iy < 0 || ix < 0 || iy >= is[1] || ix >= is[2]) continue;
                        auto at = [&](int c) { return in[size_t((iy * is[2] + ix) * is[3] + c)]; };
                        if (depthwise)
                            acc += at(o) * w[size_t((ky * ws[2] + kx) * ws[3] + o)];
                        else
                            for (int c = 0; c < is[3]; ++c)
                                acc +=
                                    at(c) * w[size_t(((o * ws[1] + ky) * ws[2] + kx) * ws[3] + c)];
                    }
                out[size_t((y * os[2] + x) * os[3] + o)] = acc;
            }
    return out;
}

TEST(TfliteOps, ConvolutionsMatchTensorFlowSamePadding) {
    Shape is{1, 7, 6, 3};
    std::vector<float> in = randomValues(countOf(is), 1);
    {  // strided convolution with a fused RELU6
        Shape ws{4, 3, 3, 3}, os{1, 4, 3, 4};
        std::vector<float> w = randomValues(countOf(ws), 2), b = randomValues(4, 3);
        for (float& v : w) v *= 4;
        GraphMaker g;
        int x = g.input(is);
        TfliteOptions o;
        o.strideW = o.strideH = 2;
        o.activation = TfliteActivation::relu6;
        g.op(TfliteOp::conv2d, {x, g.constant(ws, w), g.constant({4}, b)}, os, o);
        std::vector<float> expected = referenceConv(in, is, w, ws, b, 2, os, false);
        for (float& v : expected) v = std::clamp(v, 0.f, 6.f);
        expectNear(run(g.graph, in), expected);
    }
    {  // depthwise 5×5 with a fused RELU
        Shape ws{1, 5, 5, 3}, os{1, 7, 6, 3};
        std::vector<float> w = randomValues(countOf(ws), 4), b = randomValues(3, 5);
        GraphMaker g;
        int x = g.input(is);
        TfliteOptions o;
        o.activation = TfliteActivation::relu;
        g.op(TfliteOp::depthwiseConv2d, {x, g.constant(ws, w), g.constant({3}, b)}, os, o);
        std::vector<float> expected = referenceConv(in, is, w, ws, b, 1, os, true);
        for (float& v : expected) v = std::max(v, 0.f);
        expectNear(run(g.graph, in), expected);
    }
}

TEST(TfliteOps, TransposedConvolutionWithBiasDoublesTheSize) {
    Shape is{1, 3, 4, 2}, ws{3, 2, 2, 2}, os{1, 6, 8, 3};
    std::vector<float> in = randomValues(countOf(is), 6), w = randomValues(countOf(ws), 7),
                       b = randomValues(3, 8);
    GraphMaker g;
    int x = g.input(is);
    int out = g.op(TfliteOp::custom, {x, g.constant(ws, w), g.constant({3}, b)}, os);
    g.graph.operators.back().customCode = "Convolution2DTransposeBias";
    g.graph.operators.back().customOptions = bytesOf(std::vector<std::int32_t>{1, 2, 2});
    (void)out;
    // Each input pixel spreads its 2×2 kernel over its own output block.
    std::vector<float> expected(countOf(os));
    for (int y = 0; y < os[1]; ++y)
        for (int xx = 0; xx < os[2]; ++xx)
            for (int o = 0; o < 3; ++o) {
                float acc = b[size_t(o)];
                int iy = y / 2, ix = xx / 2, ky = y % 2, kx = xx % 2;
                for (int c = 0; c < 2; ++c)
                    acc += in[size_t((iy * is[2] + ix) * 2 + c)] *
                           w[size_t(((o * 2 + ky) * 2 + kx) * 2 + c)];
                expected[size_t((y * os[2] + xx) * 3 + o)] = acc;
            }
    expectNear(run(g.graph, in), expected);
}

TEST(TfliteOps, PoolingExcludesPaddingFromAverages) {
    Shape is{1, 5, 5, 2}, os{1, 3, 3, 2};
    std::vector<float> in = randomValues(countOf(is), 9);
    TfliteOptions o;
    o.strideW = o.strideH = 2;
    o.filterW = o.filterH = 3;
    for (TfliteOp op : {TfliteOp::averagePool2d, TfliteOp::maxPool2d}) {
        GraphMaker g;
        g.op(op, {g.input(is)}, os, o);
        std::vector<float> expected;
        int p = padBefore(5, 3, 2);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 3; ++x)
                for (int c = 0; c < 2; ++c) {
                    float sum = 0, best = -1e9f;
                    int n = 0;
                    for (int ky = 0; ky < 3; ++ky)
                        for (int kx = 0; kx < 3; ++kx) {
                            int iy = y * 2 + ky - p, ix = x * 2 + kx - p;
                            if (iy < 0 || ix < 0 || iy >= 5 || ix >= 5) continue;
                            float v = in[size_t((iy * 5 + ix) * 2 + c)];
                            sum += v, best = std::max(best, v), ++n;
                        }
                    expected.push_back(op == TfliteOp::maxPool2d ? best : sum / float(n));
                }
        expectNear(run(g.graph, in), expected);
    }
}

TEST(TfliteOps, ElementwiseOperatorsAndChannelBroadcast) {
    Shape s{1, 3, 4, 3};
    std::vector<float> in = randomValues(countOf(s), 10);
    for (float& v : in) v *= 5;
    std::vector<float> perChannel = {0.5f, -2.f, 3.f};
    auto expectUnary = [&](TfliteOp op, float (*f)(float)) {
        GraphMaker g;
        g.op(op, {g.input(s)}, s);
        std::vector<float> expected;
        for (float v : in) expected.push_back(f(v));
        expectNear(run(g.graph, in), expected);
    };
    expectUnary(TfliteOp::logistic, [](float v) { return 1 / (1 + std::exp(-v)); });
    expectUnary(TfliteOp::relu, [](float v) { return std::max(v, 0.f); });
    expectUnary(TfliteOp::relu6, [](float v) { return std::clamp(v, 0.f, 6.f); });
    expectUnary(TfliteOp::hardSwish, [](float v) { return v * std::clamp(v + 3, 0.f, 6.f) / 6; });

    for (TfliteOp op : {TfliteOp::add, TfliteOp::mul}) {
        GraphMaker g;
        int x = g.input(s);
        int scaled = g.op(op, {x, g.constant({3}, perChannel)}, s);
        g.op(op, {scaled, x}, s);  // and a tensor with itself
        std::vector<float> expected;
        for (size_t i = 0; i < in.size(); ++i) {
            float k = perChannel[i % 3];
            expected.push_back(op == TfliteOp::add ? (in[i] + k) + in[i] : (in[i] * k) * in[i]);
        }
        expectNear(run(g.graph, in), expected);
    }
}

TEST(TfliteOps, LayoutOperatorsKeepTensorFlowsElementOrder) {
    Shape s{1, 2, 3, 4};
    std::vector<float> in = randomValues(countOf(s), 11);
    {  // concatenation along channels
        SCOPED_TRACE("concatenation along channels");
        GraphMaker g;
        int x = g.input(s);
        TfliteOptions o;
        o.axis = -1;
        int doubled = g.op(TfliteOp::add, {x, x}, s);
        g.op(TfliteOp::concatenation, {x, doubled}, {1, 2, 3, 8}, o);
        std::vector<float> expected;
        for (size_t i = 0; i < 6; ++i)
            for (float factor : {1.f, 2.f})
                for (size_t c = 0; c < 4; ++c) expected.push_back(in[i * 4 + c] * factor);
        expectNear(run(g.graph, in), expected);
    }
    {  // reshape of a feature map into rows, as detector heads do
        SCOPED_TRACE("reshape of a feature map");
        GraphMaker g;
        g.op(TfliteOp::reshape, {g.input(s)}, {1, 12, 2});
        expectNear(run(g.graph, in), in);
    }
    {  // depth to space, block 2: channel (i·2 + j)·C + c lands at (2y + i, 2x + j)
        SCOPED_TRACE("depth to space");
        GraphMaker g;
        TfliteOptions o;
        o.blockSize = 2;
        g.op(TfliteOp::depthToSpace, {g.input(s)}, {1, 4, 6, 1}, o);
        std::vector<float> expected(in.size());
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x)
                for (int k = 0; k < 4; ++k)
                    expected[size_t((2 * y + k / 2) * 6 + 2 * x + k % 2)] =
                        in[size_t((y * 3 + x) * 4 + k)];
        expectNear(run(g.graph, in), expected);
    }
    {  // padding: one row above, two columns right, one channel after
        SCOPED_TRACE("padding");
        GraphMaker g;
        int pads = g.tensor({4, 2}, bytesOf(std::vector<std::int32_t>{0, 0, 1, 0, 0, 2, 0, 1}),
                            TfliteType::int32);
        g.op(TfliteOp::pad, {g.input(s), pads}, {1, 3, 5, 5});
        std::vector<float> expected(75, 0.f);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x)
                for (int c = 0; c < 4; ++c)
                    expected[size_t(((y + 1) * 5 + x) * 5 + c)] = in[size_t((y * 3 + x) * 4 + c)];
        expectNear(run(g.graph, in), expected);
    }
    {  // spatial mean, keeping dimensions
        SCOPED_TRACE("spatial mean");
        GraphMaker g;
        int axes = g.tensor({2}, bytesOf(std::vector<std::int32_t>{1, 2}), TfliteType::int32);
        TfliteOptions o;
        o.keepDims = true;
        g.op(TfliteOp::mean, {g.input(s), axes}, {1, 1, 1, 4}, o);
        std::vector<float> expected(4, 0.f);
        for (size_t i = 0; i < in.size(); ++i) expected[i % 4] += in[i] / 6;
        expectNear(run(g.graph, in), expected);
    }
}

TEST(TfliteOps, BilinearResizeUsesHalfPixelCentres) {
    Shape s{1, 3, 4, 2}, os{1, 6, 8, 2};
    std::vector<float> in = randomValues(countOf(s), 12);
    GraphMaker g;
    TfliteOptions o;
    o.halfPixelCenters = true;
    int size = g.tensor({2}, bytesOf(std::vector<std::int32_t>{6, 8}), TfliteType::int32);
    g.op(TfliteOp::resizeBilinear, {g.input(s), size}, os, o);
    // OpenCV's own bilinear resize samples at half-pixel centres too.
    cv::Mat src(3, 4, CV_32FC2, in.data()), dst;
    cv::resize(src, dst, cv::Size(8, 6), 0, 0, cv::INTER_LINEAR);
    std::vector<float> expected(dst.ptr<float>(), dst.ptr<float>() + dst.total() * 2);
    expectNear(run(g.graph, in), expected);
}

TEST(TfliteOps, HalfFloatAndSparseWeightsAreDecodedAtLoadTime) {
    // A 1×1 convolution whose weights are stored sparse (CSR over input channels) in float16.
    Shape is{1, 2, 2, 3};
    std::vector<float> in = randomValues(countOf(is), 13);
    // Dense weights [2, 1, 1, 3]: {1.5, 0, -2} and {0, 0.25, 0}.
    std::vector<std::uint8_t> halves = {0x00, 0x3e, 0x00, 0xc0, 0x00, 0x34};  // 1.5, -2, 0.25
    TfliteSparsity sparsity;
    sparsity.traversalOrder = {0, 1, 2, 3};
    sparsity.dimensions = {{false, 2, {}, {}},
                           {false, 1, {}, {}},
                           {false, 1, {}, {}},
                           {true, 0, {0, 2, 3}, {0, 2, 1}}};
    GraphMaker g;
    int x = g.input(is);
    int sparse = g.tensor({2, 1, 1, 3}, halves, TfliteType::float16);
    g.graph.tensors[size_t(sparse)].sparsity = sparsity;
    int dense = g.tensor({2, 1, 1, 3});
    g.graph.tensors[size_t(dense)].type = TfliteType::float16;
    g.graph.operators.push_back({int(TfliteOp::densify), "", {sparse}, {dense}, {}, {}});
    int weights = g.tensor({2, 1, 1, 3});
    g.graph.operators.push_back({int(TfliteOp::dequantize), "", {dense}, {weights}, {}, {}});
    g.op(TfliteOp::conv2d, {x, weights, g.constant({2}, {0, 1})}, {1, 2, 2, 2});
    std::vector<float> expected;
    for (size_t p = 0; p < 4; ++p) {
        expected.push_back(1.5f * in[p * 3] - 2 * in[p * 3 + 2]);
        expected.push_back(0.25f * in[p * 3 + 1] + 1);
    }
    expectNear(run(g.graph, in), expected);
}

TEST(TfliteOps, UnsupportedOperatorsAreNamed) {
    GraphMaker g;
    g.op(TfliteOp(25), {g.input({1, 2, 2, 1})}, {1, 2, 2, 1});  // SOFTMAX
    Loaded<TfliteNet> net = buildTfliteNet(g.graph);
    EXPECT_FALSE(net);
    EXPECT_NE(net.error.find("builtin operator 25"), std::string::npos) << net.error;

    GraphMaker custom;
    custom.op(TfliteOp::custom, {custom.input({1, 2, 2, 1})}, {1, 2, 2, 1});
    custom.graph.operators.back().customCode = "MaxPoolingWithArgmax2D";
    net = buildTfliteNet(custom.graph);
    EXPECT_NE(net.error.find("custom operator MaxPoolingWithArgmax2D"), std::string::npos)
        << net.error;
}

}  // namespace
