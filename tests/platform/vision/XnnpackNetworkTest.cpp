// Networks compiled for XNNPACK against OpenCV's own ONNX importer on the same model: every
// operation the compiler takes, in the combinations detectors use, gives OpenCV's numbers.
#include <gtest/gtest.h>

#include <random>

#include <opencv2/dnn.hpp>

#include "platform/vision/OnnxGraphBuilder.h"
#include "platform/vision/XnnpackNetwork.h"

namespace {

std::vector<float> randomValues(size_t n, unsigned seed, float lo = -1, float hi = 1) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> u(lo, hi);
    std::vector<float> v(n);
    for (float& x : v) x = u(rng);
    return v;
}

class Graph {
public:
    explicit Graph(cv::Size input) : input_(input) {
        onnx_.addInput("x", {1, 3, input.height, input.width});
    }

    std::string constant(std::vector<std::int64_t> shape, float lo = -1, float hi = 1) {
        size_t n = 1;
        for (auto d : shape) n *= size_t(d);
        return onnx_.addFloatConstant(shape, randomValues(n, ++seed_, lo, hi));
    }

    std::string scalar(float v) { return onnx_.addFloatConstant({1}, std::vector<float>{v}); }

    // A convolution, with batch normalisation when `normalised` and a ReLU when `rectified`.
    std::string conv(const std::string& in, int inC, int outC, int k, int stride, int group,
                     bool normalised, bool rectified, std::string output = {}) {
        const std::int64_t pad = k / 2;
        std::vector<std::string> inputs{in, constant({outC, inC / group, k, k})};
        if (!normalised) inputs.push_back(constant({outC}));
        std::string out =
            onnx_.addNode("Conv", inputs,
                          {OnnxAttribute::of("kernel_shape", std::vector<std::int64_t>{k, k}),
                           OnnxAttribute::of("strides", std::vector<std::int64_t>{stride, stride}),
                           OnnxAttribute::of("pads", std::vector<std::int64_t>{pad, pad, pad, pad}),
                           OnnxAttribute::of("group", std::int64_t(group))},
                          normalised || rectified ? std::string() : output);
        if (normalised)
            out = onnx_.addNode("BatchNormalization",
                                {out, constant({outC}, 0.5f, 1.5f), constant({outC}),
                                 constant({outC}), constant({outC}, 0.2f, 2.0f)},
                                {OnnxAttribute::of("epsilon", 1e-3f)},
                                rectified ? std::string() : output);
        if (rectified) out = onnx_.addNode("Relu", {out}, {}, output);
        return out;
    }

    OnnxGraphBuilder& onnx() { return onnx_; }

    void output(const std::string& name, int channels, cv::Size size) {
        onnx_.addOutput(name, {1, channels, size.height, size.width});
        outputs_.push_back(name);
    }

    Loaded<std::unique_ptr<XnnpackNetwork>> compiled() const {
        std::string bytes = onnx_.serialize();
        return XnnpackNetwork::compile(
            {reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()}, input_, outputs_);
    }

    // OpenCV's outputs for the same picture, channels-last like XnnpackNetwork's.
    std::vector<cv::Mat> opencv(const cv::Mat& picture) const {
        std::string bytes = onnx_.serialize();
        cv::dnn::Net net = cv::dnn::readNetFromONNX(bytes.data(), bytes.size());
        net.setInput(cv::dnn::blobFromImage(picture));
        std::vector<cv::Mat> outs;
        net.forward(outs, outputs_);
        std::vector<cv::Mat> channelsLast;
        for (const cv::Mat& o : outs) {
            std::vector<cv::Mat> planes;
            for (int c = 0; c < o.size[1]; ++c)
                planes.emplace_back(o.size[2], o.size[3], CV_32F,
                                    const_cast<float*>(o.ptr<float>(0, c)));
            cv::Mat merged;
            cv::merge(planes, merged);
            channelsLast.push_back(merged);
        }
        return channelsLast;
    }

private:
    cv::Size input_;
    OnnxGraphBuilder onnx_;
    std::vector<std::string> outputs_;
    unsigned seed_ = 0;
};

cv::Mat randomPicture(cv::Size size) {
    cv::Mat picture(size, CV_8UC3);
    cv::randu(picture, 0, 256);
    return picture;
}

void expectSame(const std::vector<cv::Mat>& ours, const std::vector<cv::Mat>& reference) {
    ASSERT_EQ(ours.size(), reference.size());
    for (size_t i = 0; i < ours.size(); ++i) {
        ASSERT_EQ(ours[i].size(), reference[i].size()) << "output " << i;
        ASSERT_EQ(ours[i].type(), reference[i].type()) << "output " << i;
        const double scale = std::max(1.0, cv::norm(reference[i], cv::NORM_INF));
        EXPECT_LT(cv::norm(ours[i], reference[i], cv::NORM_INF) / scale, 1e-4) << "output " << i;
    }
}

TEST(XnnpackNetwork, GivesOpenCVsOutputsForEveryOperationItTakes) {
    const cv::Size input(24, 16);
    Graph g(input);
    auto& onnx = g.onnx();
    // The input shifted and scaled, as detectors take their pixels.
    std::string x = onnx.addNode("Sub", {"x", g.scalar(127.5f)});
    x = onnx.addNode("Mul", {x, g.scalar(1 / 128.0f)});
    std::string c1 = g.conv(x, 3, 8, 3, 2, 1, true, true);        // 8 × 12
    std::string dw = g.conv(c1, 8, 8, 3, 1, 8, true, true);       // depthwise
    std::string pw = g.conv(dw, 8, 16, 1, 1, 1, true, false);     // normalised, no ReLU
    std::string down = g.conv(pw, 16, 16, 3, 2, 1, false, true);  // 4 × 6, with a bias
    // Doubled back up, cropped to the map it joins and added to it.
    std::string roi = onnx.addFloatConstant({0}, std::vector<float>{});
    std::string scales = onnx.addFloatConstant({4}, std::vector<float>{1, 1, 2, 2});
    std::string up = onnx.addNode(
        "Resize", {down, roi, scales},
        {OnnxAttribute::of("mode", std::string("nearest")),
         OnnxAttribute::of("coordinate_transformation_mode", std::string("asymmetric")),
         OnnxAttribute::of("nearest_mode", std::string("floor"))});
    std::string shape = onnx.addNode("Shape", {pw});
    std::string crop = onnx.addNode("Slice", {up, onnx.addInt64Constant({0, 0, 0, 0}), shape});
    std::string sum = onnx.addNode("Add", {pw, crop}, {}, "sum");
    // Three branches concatenated, rectified, and read by two convolutions.
    std::string a = g.conv(sum, 16, 4, 3, 1, 1, true, false);
    std::string b = g.conv(sum, 16, 6, 3, 1, 1, true, false);
    std::string c = g.conv(sum, 16, 2, 1, 1, 1, false, false);
    std::string cat =
        onnx.addNode("Concat", {a, b, c}, {OnnxAttribute::of("axis", std::int64_t(1))});
    std::string rectified = onnx.addNode("Relu", {cat});
    g.conv(rectified, 12, 5, 1, 1, 1, false, false, "head");
    g.conv(rectified, 12, 3, 3, 1, 1, true, true, "other");
    g.output("head", 5, {12, 8});
    g.output("sum", 16, {12, 8});
    g.output("other", 3, {12, 8});

    auto compiled = g.compiled();
    ASSERT_TRUE(compiled) << compiled.error;
    for (int run = 0; run < 2; ++run) {  // buffers reused: a second picture gives its own
        cv::Mat picture = randomPicture(input);
        expectSame((*compiled.value)->run(picture), g.opencv(picture));
    }
}

TEST(XnnpackNetwork, RefusesWhatItCannotCompileWithAReason) {
    const cv::Size input(8, 8);
    {
        Graph g(input);
        std::string c = g.conv("x", 3, 4, 3, 1, 1, false, false);
        g.onnx().addNode("Sigmoid", {c}, {}, "y");
        g.output("y", 4, input);
        auto compiled = g.compiled();
        ASSERT_FALSE(compiled);
        EXPECT_NE(compiled.error.find("Sigmoid"), std::string::npos) << compiled.error;
    }
    {
        // A scaling anywhere but straight on the input cannot be folded into reading it.
        Graph g(input);
        std::string c = g.conv("x", 3, 4, 3, 1, 1, false, false);
        g.onnx().addNode("Mul", {c, g.scalar(2)}, {}, "y");
        g.output("y", 4, input);
        EXPECT_FALSE(g.compiled());
    }
    {
        Graph g(input);
        g.conv("x", 3, 4, 3, 1, 1, false, false, "y");
        g.output("y", 4, input);
        g.output("nowhere", 4, input);
        EXPECT_FALSE(g.compiled());
    }
}

}  // namespace
