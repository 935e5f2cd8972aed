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

// OpenCV's output laid out as the model gives it, flat, against ours.
void expectSameValues(const cv::Mat& ours, const cv::Mat& reference) {
    ASSERT_EQ(ours.total() * size_t(ours.channels()), reference.total());
    cv::Mat flat(1, int(reference.total()), CV_32F, const_cast<float*>(reference.ptr<float>()));
    EXPECT_LT(cv::norm(ours.reshape(1, 1), flat, cv::NORM_INF), 1e-4);
}

TEST(XnnpackNetwork, GivesOpenCVsOutputsForTheLayersOfTFLiteDetectors) {
    const cv::Size input(16, 16);
    for (std::string mode : {"half_pixel", "asymmetric", "align_corners"}) {
        SCOPED_TRACE(mode);
        Graph g(input);
        auto& onnx = g.onnx();
        std::string c = g.conv("x", 3, 8, 3, 1, 1, false, true);  // 16 × 16
        std::string pooled =
            onnx.addNode("MaxPool", {c},
                         {OnnxAttribute::of("kernel_shape", std::vector<std::int64_t>{2, 2}),
                          OnnxAttribute::of("strides", std::vector<std::int64_t>{2, 2})});  // 8 × 8
        // A shortcut widened with zero channels, added to the block's own path.
        std::string widened =
            onnx.addNode("Pad", {pooled, onnx.addInt64Constant({0, 0, 0, 0, 0, 4, 0, 0})},
                         {OnnxAttribute::of("mode", std::string("constant"))});
        std::string path = g.conv(pooled, 8, 12, 3, 1, 1, false, false);
        std::string block = onnx.addNode("Add", {widened, path});
        block = onnx.addNode("Relu", {block});
        std::string none = onnx.addFloatConstant({0}, std::vector<float>{});
        std::string resized =
            onnx.addNode("Resize", {block, none, none, onnx.addInt64Constant({1, 12, 12, 12})},
                         {OnnxAttribute::of("mode", std::string("linear")),
                          OnnxAttribute::of("coordinate_transformation_mode", mode)});
        // Heads laid out as TFLite gives them: a one-channel map reshaped, a wider one
        // transposed to channels-last first.
        std::string score = g.conv(resized, 12, 1, 3, 1, 1, false, false);
        onnx.addNode("Reshape", {score, onnx.addInt64Constant({1, 144, 1})}, {}, "scores");
        std::string boxes = g.conv(resized, 12, 4, 1, 1, 1, false, false);
        std::string last =
            onnx.addNode("Transpose", {boxes},
                         {OnnxAttribute::of("perm", std::vector<std::int64_t>{0, 2, 3, 1})});
        onnx.addNode("Reshape", {last, onnx.addInt64Constant({1, 144, 4})}, {}, "boxes");
        onnx.addOutput("scores", {1, 144, 1});
        onnx.addOutput("boxes", {1, 144, 4});
        const std::vector<std::string> outputs{"scores", "boxes"};

        std::string bytes = onnx.serialize();
        auto compiled = XnnpackNetwork::compile(
            {reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()}, input, outputs,
            {1 / 127.5f, -1});
        ASSERT_TRUE(compiled) << compiled.error;
        cv::Mat picture = randomPicture(input);
        const std::vector<cv::Mat>& ours = (*compiled.value)->run(picture);
        cv::dnn::Net net = cv::dnn::readNetFromONNX(bytes.data(), bytes.size());
        net.setInput(cv::dnn::blobFromImage(picture, 1 / 127.5, {}, cv::Scalar::all(127.5)));
        std::vector<cv::Mat> reference;
        net.forward(reference, outputs);
        ASSERT_EQ(ours.size(), 2u);
        expectSameValues(ours[0], reference[0]);
        expectSameValues(ours[1], reference[1]);
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
    {
        // Several channels reshaped straight from NCHW interleave differently from
        // channels-last: not a mere relabelling of what XNNPACK holds.
        Graph g(input);
        std::string c = g.conv("x", 3, 4, 3, 1, 1, false, false);
        g.onnx().addNode("Reshape", {c, g.onnx().addInt64Constant({1, 64, 4})}, {}, "y");
        g.output("y", 4, input);
        auto compiled = g.compiled();
        ASSERT_FALSE(compiled);
        EXPECT_NE(compiled.error.find("reshaped"), std::string::npos) << compiled.error;
    }
}

}  // namespace
