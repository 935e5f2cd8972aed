#include "platform/vision/RetinaFaceModel.h"

#include <algorithm>
#include <cmath>
#include <string>

#include <opencv2/imgproc.hpp>

#include "platform/vision/XnnpackNetwork.h"

namespace {

// Per stride, the sides of its two anchors, as the model was trained.
struct Level {
    int stride;
    float anchors[2];
};
constexpr Level LEVELS[] = {{32, {512, 256}}, {16, {128, 64}}, {8, {32, 16}}};
// What the largest anchor finds is not reported: it takes smooth blobs of colour for faces (in
// one in five generated blob scenes, scoring up to 0.88), and a face that large is one
// BlazeFace sees whole and well.
constexpr float LARGEST_REPORTED_ANCHOR = 256;
constexpr int COARSEST_STRIDE = 32;
// Anchor centres sit half the base anchor (16 px) into their cell.
constexpr float ANCHOR_OFFSET = 8;

std::string scoresName(int stride) {
    return "face_rpn_cls_score_stride" + std::to_string(stride);
}
std::string boxesName(int stride) {
    return "face_rpn_bbox_pred_stride" + std::to_string(stride);
}

int roundedUp(double length) {
    return std::max(1, int(std::ceil(length / COARSEST_STRIDE))) * COARSEST_STRIDE;
}

}  // namespace

cv::Size RetinaFaceModel::inputFor(cv::Size frame, int longerSide) {
    double scale = double(longerSide) / std::max({frame.width, frame.height, 1});
    return {roundedUp(frame.width * scale), roundedUp(frame.height * scale)};
}

Loaded<std::unique_ptr<RetinaFaceModel>> RetinaFaceModel::create(const ModelRegistry& models,
                                                                 cv::Size input) {
    using Result = Loaded<std::unique_ptr<RetinaFaceModel>>;
    Loaded<std::vector<std::uint8_t>> bytes = models.load(VisionModel::retinaFace);
    if (!bytes) return Result::failure(bytes.error);
    std::vector<std::string> outputs;
    for (const Level& level : LEVELS) {
        outputs.push_back(scoresName(level.stride));
        outputs.push_back(boxesName(level.stride));
    }
    auto network = XnnpackNetwork::compile(*bytes.value, input, outputs);
    if (!network) return Result::failure("the RetinaFace model does not load: " + network.error);
    return Result::success(
        std::unique_ptr<RetinaFaceModel>(new RetinaFaceModel(std::move(*network.value), input)));
}

RetinaFaceModel::RetinaFaceModel(std::unique_ptr<XnnpackNetwork> network, cv::Size input)
    : network_(std::move(network)), input_(input) {}

RetinaFaceModel::~RetinaFaceModel() = default;

std::vector<SsdDetection> RetinaFaceModel::detect(const cv::Mat& rgb, const cv::Rect2f& source,
                                                  float minScore, float gain) {
    if (!(source.width > 0 && source.height > 0)) return {};
    const float scale =
        std::min(float(input_.width) / source.width, float(input_.height) / source.height);
    cv::Mat canvas(input_, CV_8UC3, cv::Scalar::all(0));
    cv::Rect part = cv::Rect(source) & cv::Rect(0, 0, rgb.cols, rgb.rows);
    cv::Size scaled(std::min(input_.width, int(std::lround(part.width * scale))),
                    std::min(input_.height, int(std::lround(part.height * scale))));
    if (part.empty() || scaled.empty()) return {};
    // Averaged when shrinking a lot, so small faces do not alias away; interpolated otherwise,
    // which costs less.
    cv::resize(rgb(part), canvas(cv::Rect({0, 0}, scaled)), scaled, 0, 0,
               scale < 0.5f ? cv::INTER_AREA : cv::INTER_LINEAR);
    if (gain != 1) canvas.convertTo(canvas, -1, gain);  // saturating
    // The model takes RGB as it is, 0…255.
    const std::vector<cv::Mat>& outs = network_->run(canvas);

    std::vector<SsdDetection> found;
    for (size_t l = 0; l < std::size(LEVELS); ++l) {
        const Level& level = LEVELS[l];
        const cv::Mat& scores = outs[2 * l];
        const cv::Mat& boxes = outs[2 * l + 1];
        // Two anchors a cell: a background and a face score each (the two backgrounds first),
        // and four box channels each.
        CV_Assert(scores.channels() == 4 && boxes.channels() == 8 && scores.size() == boxes.size());
        for (int a = 0; a < 2; ++a) {
            const float side = level.anchors[a];
            if (side > LARGEST_REPORTED_ANCHOR) continue;
            for (int y = 0; y < scores.rows; ++y)
                for (int x = 0; x < scores.cols; ++x) {
                    const float* s = scores.ptr<float>(y) + 4 * x;
                    // The softmax of the anchor's two scores, its face share.
                    const float face = 1 / (1 + std::exp(s[a] - s[2 + a]));
                    if (face < minScore) continue;
                    const float* deltas = boxes.ptr<float>(y) + 8 * x + 4 * a;
                    float cx = float(x * level.stride) + ANCHOR_OFFSET + side * deltas[0];
                    float cy = float(y * level.stride) + ANCHOR_OFFSET + side * deltas[1];
                    float w = side * std::exp(deltas[2]);
                    float h = side * std::exp(deltas[3]);
                    SsdDetection d;
                    d.box = {float(part.x) + (cx - w / 2) / scale,
                             float(part.y) + (cy - h / 2) / scale, w / scale, h / scale};
                    d.score = face;
                    found.push_back(std::move(d));
                }
        }
    }
    return found;
}
