#include "platform/vision/FullRangeFaceSearch.h"

#include <algorithm>
#include <cmath>
#include <future>

#include "platform/vision/VisionFrame.h"

namespace {

constexpr float MERGE_IOU = 0.3f;
// Neighbouring tiles overlap by this share of a tile, so a face up to that size, which the
// whole frame may show too small, lies whole in one of them.
constexpr float TILE_OVERLAP = 0.25f;
// Faces at least this tall in the model's input are found in the whole frame.
constexpr float SEEN_WHOLE = 16;
// A followed face is shown at about this height in the model's input...
constexpr float FOLLOW_HEIGHT = 40;
// ... and never blown up more than this.
constexpr float MAX_UPSCALE = 2;
// Near faces share a crop that shows the smallest of them at least this tall.
constexpr float SHARED_HEIGHT = 20;
// A detection this close (model pixels) to a window edge inside the frame may be a cut face.
constexpr float EDGE_MARGIN = 2;

std::vector<float> starts(float length, float tile) {
    if (length <= tile) return {0};
    int count = int(std::ceil((length - tile) / (tile * (1 - TILE_OVERLAP)))) + 1;
    std::vector<float> s;
    for (int i = 0; i < count; ++i) s.push_back((length - tile) * float(i) / float(count - 1));
    return s;
}

// The square of side `side` centred on `centre`, moved inside the frame where it fits.
cv::Rect2f squareAround(cv::Point2f centre, float side, cv::Size size) {
    auto place = [&](float c, float length) {
        float lo = c - side / 2;
        if (side >= length) return (length - side) / 2;
        return std::clamp(lo, 0.0f, length - side);
    };
    return {place(centre.x, float(size.width)), place(centre.y, float(size.height)), side, side};
}

}  // namespace

Loaded<std::unique_ptr<FullRangeFaceSearch>> FullRangeFaceSearch::create(
    const ModelRegistry& models, Options options) {
    using Result = Loaded<std::unique_ptr<FullRangeFaceSearch>>;
    std::vector<std::unique_ptr<FullRangeFaceModel>> networks;
    for (int i = 0; i < std::max(options.workers, 1); ++i) {
        auto model = FullRangeFaceModel::create(models);
        if (!model) return Result::failure(model.error);
        networks.push_back(std::move(*model.value));
    }
    return Result::success(std::unique_ptr<FullRangeFaceSearch>(
        new FullRangeFaceSearch(std::move(networks), options)));
}

FullRangeFaceSearch::FullRangeFaceSearch(std::vector<std::unique_ptr<FullRangeFaceModel>> models,
                                         Options options)
    : models_(std::move(models)), options_(options) {}

std::vector<cv::Rect2f> FullRangeFaceSearch::sweepTiles(cv::Size size, float tileShare) {
    float tile = tileShare * float(std::max(size.width, size.height));
    std::vector<cv::Rect2f> out;
    if (!(tile > 0)) return out;
    for (float y : starts(float(size.height), tile))
        for (float x : starts(float(size.width), tile))
            out.emplace_back(x, y, std::min(tile, float(size.width)),
                             std::min(tile, float(size.height)));
    return out;
}

std::vector<cv::Rect2f> FullRangeFaceSearch::followCrops(const std::vector<cv::Rect2f>& faces,
                                                         cv::Size size) {
    const float input = FullRangeFaceModel::INPUT_SIZE;
    const float longer = float(std::max(size.width, size.height));
    std::vector<cv::Rect2f> small;
    for (const cv::Rect2f& f : faces)
        if (f.height * input / longer < SEEN_WHOLE) small.push_back(f);
    // Smallest first: the crop made for a small face may show larger neighbours well too.
    std::sort(small.begin(), small.end(),
              [](const cv::Rect2f& a, const cv::Rect2f& b) { return a.height < b.height; });
    // A face with its height to spare on every side, for its moves until the next look.
    auto spared = [](const cv::Rect2f& f) {
        return cv::Rect2f(f.x - f.height, f.y - f.height, f.width + 2 * f.height, 3 * f.height);
    };
    auto shows = [&](const cv::Rect2f& crop, const cv::Rect2f& f) {
        return (spared(f) & crop) == spared(f) && f.height * input / crop.width >= SHARED_HEIGHT;
    };
    std::vector<cv::Rect2f> crops;
    std::vector<bool> covered(small.size(), false);
    for (size_t i = 0; i < small.size(); ++i) {
        if (covered[i]) continue;
        const cv::Rect2f& f = small[i];
        // Neighbours join, nearest first, while one crop can show them all with f at least
        // SHARED_HEIGHT tall.
        const float largest = f.height * input / SHARED_HEIGHT;
        std::vector<size_t> others;
        for (size_t j = i + 1; j < small.size(); ++j)
            if (!covered[j]) others.push_back(j);
        auto centre = [](const cv::Rect2f& r) { return (r.tl() + r.br()) * 0.5f; };
        std::sort(others.begin(), others.end(), [&](size_t a, size_t b) {
            cv::Point2f da = centre(small[a]) - centre(f), db = centre(small[b]) - centre(f);
            return da.dot(da) < db.dot(db);
        });
        cv::Rect2f held = spared(f);
        for (size_t j : others) {
            cv::Rect2f grown = held | spared(small[j]);
            if (std::max(grown.width, grown.height) <= largest) held = grown;
        }
        float side = std::max(
            {held.width, held.height, f.height * input / FOLLOW_HEIGHT, input / MAX_UPSCALE});
        crops.push_back(squareAround(centre(held), side, size));
        for (size_t j = i; j < small.size(); ++j)
            covered[j] = covered[j] || shows(crops.back(), small[j]);
    }
    return crops;
}

std::vector<SsdDetection> FullRangeFaceSearch::detectIn(FullRangeFaceModel& model,
                                                        const cv::Mat& rgb,
                                                        const cv::Rect2f& window) const {
    const float margin = EDGE_MARGIN * window.width / FullRangeFaceModel::INPUT_SIZE;
    auto cut = [&](float lo, float hi, float windowLo, float windowHi, float frameHi) {
        return (windowLo > 0 && lo < windowLo + margin) ||
               (windowHi < frameHi && hi > windowHi - margin);
    };
    std::vector<SsdDetection> kept;
    for (SsdDetection& d : model.detect(rgb, window, options_.minScore)) {
        if (cut(d.box.x, d.box.br().x, window.x, window.br().x, float(rgb.cols)) ||
            cut(d.box.y, d.box.br().y, window.y, window.br().y, float(rgb.rows)))
            continue;
        kept.push_back(std::move(d));
    }
    return kept;
}

std::vector<SsdDetection> FullRangeFaceSearch::detect(const cv::Mat& rgb) {
    std::vector<cv::Rect2f> windows{{0, 0, float(rgb.cols), float(rgb.rows)}};
    std::vector<cv::Rect2f> tiles = sweepTiles(rgb.size(), options_.tileShare);
    if (tiles.size() > 1) {
        // The first frame is searched whole; then a share of the sweep per frame.
        size_t perFrame = first_ ? tiles.size()
                                 : (tiles.size() + size_t(std::max(options_.sweepFrames, 1)) - 1) /
                                       size_t(std::max(options_.sweepFrames, 1));
        for (size_t i = 0; i < perFrame; ++i)
            windows.push_back(tiles[(nextTile_ + i) % tiles.size()]);
        nextTile_ = (nextTile_ + perFrame) % tiles.size();
    }
    for (const cv::Rect2f& c : followCrops(previous_, rgb.size())) windows.push_back(c);
    first_ = false;

    // Network k searches windows k, k + workers, ...; each window's detections keep its place,
    // so the merge is the same whichever thread ends first.
    std::vector<std::vector<SsdDetection>> perWindow(windows.size());
    auto search = [&](size_t worker) {
        for (size_t i = worker; i < windows.size(); i += models_.size())
            perWindow[i] = detectIn(*models_[worker], rgb, windows[i]);
    };
    {
        // Waited for before leaving, even when a search throws.
        std::vector<std::future<void>> helpers;
        for (size_t w = 1; w < std::min(models_.size(), windows.size()); ++w)
            helpers.push_back(std::async(std::launch::async, search, w));
        search(0);
        for (std::future<void>& h : helpers) h.get();
    }
    std::vector<SsdDetection> found;
    for (std::vector<SsdDetection>& w : perWindow)
        found.insert(found.end(), std::make_move_iterator(w.begin()),
                     std::make_move_iterator(w.end()));
    found = weightedNonMaxSuppression(std::move(found), MERGE_IOU);
    previous_.clear();
    for (const SsdDetection& d : found) previous_.push_back(d.box);
    return found;
}

std::optional<std::vector<FaceObservation>> FullRangeFaceSearch::detectFaceRectangles(
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
