#include "platform/vision/BlazeFaceDetector.h"

#include <string>

#include "platform/vision/VisionFrame.h"

namespace {

constexpr int INPUT_SIZE = 256;
constexpr int STRIDES[] = {16, 32, 32, 32};
constexpr int KEYPOINTS = 6;
constexpr int VALUES_PER_ANCHOR = 4 + 2 * KEYPOINTS;
constexpr float MERGE_IOU = 0.3f;
// Tiles are this many model inputs wide, so small faces reach the model at about 0.8× scale.
constexpr float TILE_SIDE = 320;
// A tile detection this close to an inner tile edge may be a cut face; the neighbour sees it.
constexpr float TILE_EDGE_MARGIN = 4;

}  // namespace

Loaded<std::unique_ptr<BlazeFaceDetector>> BlazeFaceDetector::create(const ModelRegistry& models,
                                                                     Options options) {
    using Result = Loaded<std::unique_ptr<BlazeFaceDetector>>;
    auto bytes = models.load(VisionModel::faceDetection);
    if (!bytes) return Result::failure(bytes.error);
    cv::dnn::Net net;
    try {
        net = cv::dnn::readNetFromONNX(reinterpret_cast<const char*>(bytes.value->data()),
                                       bytes.value->size());
    } catch (const cv::Exception& e) {
        return Result::failure("cannot load the face model: " + e.msg);
    }
    return Result::success(
        std::unique_ptr<BlazeFaceDetector>(new BlazeFaceDetector(std::move(net), options)));
}

BlazeFaceDetector::BlazeFaceDetector(cv::dnn::Net net, Options options)
    : net_(std::move(net)),
      options_(options),
      anchors_(ssdAnchors(INPUT_SIZE, STRIDES)),
      outputNames_(net_.getUnconnectedOutLayersNames()) {}

std::vector<SsdDetection> BlazeFaceDetector::detectIn(const cv::Mat& rgb,
                                                      const cv::Rect2f& source) {
    Letterbox letterbox(source, INPUT_SIZE);
    cv::Mat input;
    // The model takes NHWC floats in [-1, 1].
    letterbox.apply(rgb).convertTo(input, CV_32F, 1 / 127.5, -1);
    net_.setInput(cv::Mat(std::vector<int>{1, INPUT_SIZE, INPUT_SIZE, 3}, CV_32F, input.data));
    std::vector<cv::Mat> outs;
    net_.forward(outs, outputNames_);

    // Two score outputs (one value per anchor) and two regressor outputs, finer stride first.
    std::vector<float> scores, regressors;
    std::vector<const cv::Mat*> scoreMats, regressorMats;
    for (const cv::Mat& o : outs) (o.size[2] == 1 ? scoreMats : regressorMats).push_back(&o);
    auto byAnchors = [](const cv::Mat* a, const cv::Mat* b) { return a->size[1] > b->size[1]; };
    std::sort(scoreMats.begin(), scoreMats.end(), byAnchors);
    std::sort(regressorMats.begin(), regressorMats.end(), byAnchors);
    for (const cv::Mat* m : scoreMats)
        scores.insert(scores.end(), m->ptr<float>(), m->ptr<float>() + m->total());
    for (const cv::Mat* m : regressorMats)
        regressors.insert(regressors.end(), m->ptr<float>(), m->ptr<float>() + m->total());
    if (scores.size() != anchors_.size() ||
        regressors.size() != anchors_.size() * VALUES_PER_ANCHOR)
        return {};

    std::vector<SsdDetection> found =
        decodeSsd(scores, regressors, anchors_, {INPUT_SIZE, KEYPOINTS, options_.minConfidence});
    for (SsdDetection& d : found) {
        cv::Point2f a = letterbox.toFrame(d.box.tl()), b = letterbox.toFrame(d.box.br());
        d.box = {a, b};
        for (cv::Point2f& k : d.keypoints) k = letterbox.toFrame(k);
    }
    return found;
}

std::vector<cv::Rect2f> BlazeFaceDetector::tiles(cv::Size frame) const {
    std::vector<cv::Rect2f> out;
    auto starts = [](float length) {
        std::vector<float> s;
        if (length <= TILE_SIDE) return std::vector<float>{0};
        // Enough tiles that neighbours overlap by at least a fifth of a tile.
        int count = int(std::ceil((length - TILE_SIDE) / (TILE_SIDE * 0.8f))) + 1;
        for (int i = 0; i < count; ++i)
            s.push_back((length - TILE_SIDE) * float(i) / float(count - 1));
        return s;
    };
    for (float y : starts(float(frame.height)))
        for (float x : starts(float(frame.width)))
            out.emplace_back(x, y, std::min(TILE_SIDE, float(frame.width)),
                             std::min(TILE_SIDE, float(frame.height)));
    return out;
}

std::vector<SsdDetection> BlazeFaceDetector::detect(const cv::Mat& rgb) {
    cv::Rect2f whole(0, 0, float(rgb.cols), float(rgb.rows));
    std::vector<SsdDetection> all = detectIn(rgb, whole);
    if (options_.smallFaceTiles && std::max(rgb.cols, rgb.rows) > TILE_SIDE) {
        for (const cv::Rect2f& tile : tiles(rgb.size())) {
            for (SsdDetection& d : detectIn(rgb, tile)) {
                auto cut = [&](float lo, float hi, float tileLo, float tileHi, float frameHi) {
                    return (tileLo > 0 && lo < tileLo + TILE_EDGE_MARGIN) ||
                           (tileHi < frameHi && hi > tileHi - TILE_EDGE_MARGIN);
                };
                if (cut(d.box.x, d.box.br().x, tile.x, tile.br().x, whole.width) ||
                    cut(d.box.y, d.box.br().y, tile.y, tile.br().y, whole.height))
                    continue;
                all.push_back(std::move(d));
            }
        }
    }
    return weightedNonMaxSuppression(std::move(all), MERGE_IOU);
}

std::optional<std::vector<FaceObservation>> BlazeFaceDetector::detectFaceRectangles(
    const Image& frame) {
    cv::Mat rgb = rgbFrame(frame);
    if (rgb.empty()) return std::nullopt;
    std::vector<FaceObservation> faces;
    try {
        for (const SsdDetection& d : detect(rgb)) {
            cv::Rect2f clipped = d.box & cv::Rect2f(0, 0, float(rgb.cols), float(rgb.rows));
            if (clipped.area() <= 0) continue;
            faces.push_back({regionRect(clipped, rgb.size()), std::min(d.score, 1.0f)});
        }
    } catch (const cv::Exception&) {
        return std::nullopt;
    }
    return faces;
}
