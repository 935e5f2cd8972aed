#include "platform/vision/FaceSearch.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <future>

#include "platform/vision/ExposureGain.h"
#include "platform/vision/RetinaFaceModel.h"
#include "platform/vision/VisionFrame.h"

namespace {

constexpr float MERGE_IOU = 0.3f;
// Neighbouring tiles overlap by this share of a tile, so a face up to that size, which the
// whole frame may show too small, lies whole in one of them.
constexpr float TILE_OVERLAP = 0.25f;
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

// The window's detections, less those cut by one of its edges inside the frame; `input` is
// the side of the model's input the window was scaled to.
std::vector<SsdDetection> uncut(std::vector<SsdDetection> found, const cv::Rect2f& window,
                                int input, cv::Size frame) {
    const float margin = EDGE_MARGIN * window.width / float(input);
    auto cut = [&](float lo, float hi, float windowLo, float windowHi, float frameHi) {
        return (windowLo > 0 && lo < windowLo + margin) ||
               (windowHi < frameHi && hi > windowHi - margin);
    };
    std::erase_if(found, [&](const SsdDetection& d) {
        return cut(d.box.x, d.box.br().x, window.x, window.br().x, float(frame.width)) ||
               cut(d.box.y, d.box.br().y, window.y, window.br().y, float(frame.height));
    });
    return found;
}

constexpr int RETINA_MAX_UPSCALE = 2;

// The frame RetinaFace's whole look is built for before the search sees one: full HD.
const cv::Size USUAL_FRAME(1920, 1080);

}  // namespace

Loaded<std::unique_ptr<FaceSearch>> FaceSearch::create(const ModelRegistry& models,
                                                       Options options) {
    using Result = Loaded<std::unique_ptr<FaceSearch>>;
    std::vector<std::unique_ptr<FullRangeFaceModel>> networks;
    for (int i = 0; i < std::max(options.workers, 1); ++i) {
        auto model = FullRangeFaceModel::create(models);
        if (!model) return Result::failure(model.error);
        networks.push_back(std::move(*model.value));
    }
    std::unique_ptr<RetinaFaceModel> retina;
    std::vector<std::unique_ptr<RetinaFaceModel>> closeLooks;
    if (options.retinaFrames > 0) {
        // Built here for the usual frame, so a missing or damaged model fails before any work.
        auto whole = RetinaFaceModel::create(
            models, RetinaFaceModel::inputFor(USUAL_FRAME, options.retinaSide));
        if (!whole) return Result::failure(whole.error);
        retina = std::move(*whole.value);
        for (int i = 0; i < std::max(options.workers, 1); ++i) {
            auto close = RetinaFaceModel::create(
                models, cv::Size(int(RETINA_FOLLOW.input), int(RETINA_FOLLOW.input)));
            if (!close) return Result::failure(close.error);
            closeLooks.push_back(std::move(*close.value));
        }
    }
    return Result::success(std::unique_ptr<FaceSearch>(new FaceSearch(
        models, std::move(networks), std::move(retina), std::move(closeLooks), options)));
}

FaceSearch::FaceSearch(ModelRegistry models,
                       std::vector<std::unique_ptr<FullRangeFaceModel>> networks,
                       std::unique_ptr<RetinaFaceModel> retina,
                       std::vector<std::unique_ptr<RetinaFaceModel>> closeLooks, Options options)
    : registry_(std::move(models)),
      models_(std::move(networks)),
      retina_(std::move(retina)),
      closeLooks_(std::move(closeLooks)),
      options_(options) {}

FaceSearch::~FaceSearch() = default;

void FaceSearch::fitRetinaTo(cv::Size frame) {
    // A small video is seen up to twice its size, where its small faces reach RetinaFace's
    // anchors, but never at more cost than a full HD one.
    const int longer = std::max(frame.width, frame.height);
    cv::Size input = RetinaFaceModel::inputFor(
        frame, std::min(options_.retinaSide, RETINA_MAX_UPSCALE * longer));
    if (input == retina_->inputSize()) return;
    auto rebuilt = RetinaFaceModel::create(registry_, input);
    // The model loaded once already; failing now is a damaged cache under a running scan.
    if (!rebuilt)
        throw cv::Exception(cv::Error::StsError, rebuilt.error, __func__, __FILE__, __LINE__);
    retina_ = std::move(*rebuilt.value);
}

std::vector<cv::Rect2f> FaceSearch::sweepTiles(cv::Size size, float tileShare) {
    float tile = tileShare * float(std::max(size.width, size.height));
    std::vector<cv::Rect2f> out;
    if (!(tile > 0)) return out;
    for (float y : starts(float(size.height), tile))
        for (float x : starts(float(size.width), tile))
            out.emplace_back(x, y, std::min(tile, float(size.width)),
                             std::min(tile, float(size.height)));
    return out;
}

std::vector<cv::Rect2f> FaceSearch::followCrops(const std::vector<cv::Rect2f>& faces, cv::Size size,
                                                const FollowLook& look) {
    const float input = look.input;
    const float longer = float(std::max(size.width, size.height));
    std::vector<cv::Rect2f> followed;
    for (const cv::Rect2f& f : faces)
        if (f.height * input / longer < look.seenWhole) followed.push_back(f);
    // Smallest first: the crop made for a small face may show larger neighbours well too.
    std::sort(followed.begin(), followed.end(),
              [](const cv::Rect2f& a, const cv::Rect2f& b) { return a.height < b.height; });
    // A face with its height to spare on every side, for its moves until the next look.
    auto spared = [](const cv::Rect2f& f) {
        return cv::Rect2f(f.x - f.height, f.y - f.height, f.width + 2 * f.height, 3 * f.height);
    };
    auto shows = [&](const cv::Rect2f& crop, const cv::Rect2f& f) {
        return (spared(f) & crop) == spared(f) &&
               f.height * input / crop.width >= look.sharedHeight;
    };
    std::vector<cv::Rect2f> crops;
    std::vector<bool> covered(followed.size(), false);
    for (size_t i = 0; i < followed.size(); ++i) {
        if (covered[i]) continue;
        const cv::Rect2f& f = followed[i];
        // Neighbours join, nearest first, while one crop can show them all with f at least
        // look.sharedHeight tall.
        const float largest = f.height * input / look.sharedHeight;
        std::vector<size_t> others;
        for (size_t j = i + 1; j < followed.size(); ++j)
            if (!covered[j]) others.push_back(j);
        auto centre = [](const cv::Rect2f& r) { return (r.tl() + r.br()) * 0.5f; };
        std::sort(others.begin(), others.end(), [&](size_t a, size_t b) {
            cv::Point2f da = centre(followed[a]) - centre(f), db = centre(followed[b]) - centre(f);
            return da.dot(da) < db.dot(db);
        });
        cv::Rect2f held = spared(f);
        for (size_t j : others) {
            cv::Rect2f grown = held | spared(followed[j]);
            if (std::max(grown.width, grown.height) <= largest) held = grown;
        }
        float side = std::max(
            {held.width, held.height, f.height * input / look.height, input / look.maxUpscale});
        crops.push_back(squareAround(centre(held), side, size));
        for (size_t j = i; j < followed.size(); ++j)
            covered[j] = covered[j] || shows(crops.back(), followed[j]);
    }
    return crops;
}

std::vector<SsdDetection> FaceSearch::detect(const cv::Mat& rgb) {
    std::vector<cv::Rect2f> windows{{0, 0, float(rgb.cols), float(rgb.rows)}};
    std::vector<cv::Rect2f> tiles = sweepTiles(rgb.size(), options_.tileShare);
    if (tiles.size() > 1) {
        // The first frame is searched whole; then a share of the sweep per frame.
        size_t perFrame = framesSearched_ == 0
                              ? tiles.size()
                              : (tiles.size() + size_t(std::max(options_.sweepFrames, 1)) - 1) /
                                    size_t(std::max(options_.sweepFrames, 1));
        for (size_t i = 0; i < perFrame; ++i)
            windows.push_back(tiles[(nextTile_ + i) % tiles.size()]);
        nextTile_ = (nextTile_ + perFrame) % tiles.size();
    }
    for (const cv::Rect2f& c : followCrops(previous_, rgb.size(), BLAZE_FOLLOW))
        windows.push_back(c);
    std::vector<cv::Rect2f> closeCrops;
    if (options_.retinaFrames > 0) closeCrops = followCrops(previous_, rgb.size(), RETINA_FOLLOW);

    // The jobs: RetinaFace's look at the whole frame first, so it starts at once, then
    // BlazeFace's windows, then RetinaFace's close looks at the followed faces. Workers take
    // them as they come free. Each job's detections keep their place, so the merge is the same
    // whichever thread ends first.
    struct Job {
        enum { retinaWhole, blaze, retinaClose } kind;
        cv::Rect2f window;
    };
    std::vector<Job> jobs;
    const bool retinaLooks =
        options_.retinaFrames > 0 && framesSearched_ % size_t(options_.retinaFrames) == 0;
    ++framesSearched_;
    if (retinaLooks) {
        fitRetinaTo(rgb.size());
        jobs.push_back({Job::retinaWhole, windows[0]});
    }
    for (const cv::Rect2f& w : windows) jobs.push_back({Job::blaze, w});
    for (const cv::Rect2f& c : closeCrops) jobs.push_back({Job::retinaClose, c});
    const bool retinaJobs = retinaLooks || !closeCrops.empty();
    const float gain = retinaJobs ? exposureGain(rgb) : 1.0f;
    std::vector<std::vector<SsdDetection>> perJob(jobs.size());
    std::atomic<size_t> next{0};
    auto search = [&](size_t worker) {
        for (size_t j = next++; j < jobs.size(); j = next++) {
            const Job& job = jobs[j];
            if (job.kind == Job::retinaWhole)
                perJob[j] = retina_->detect(rgb, job.window, options_.minScore, gain);
            else if (job.kind == Job::blaze)
                perJob[j] = uncut(models_[worker]->detect(rgb, job.window, options_.minScore),
                                  job.window, FullRangeFaceModel::INPUT_SIZE, rgb.size());
            else
                perJob[j] =
                    uncut(closeLooks_[worker]->detect(rgb, job.window, options_.minScore, gain),
                          job.window, int(RETINA_FOLLOW.input), rgb.size());
        }
    };
    {
        // Waited for before leaving, even when a search throws.
        std::vector<std::future<void>> helpers;
        for (size_t w = 1; w < std::min(models_.size(), jobs.size()); ++w)
            helpers.push_back(std::async(std::launch::async, search, w));
        search(0);
        for (std::future<void>& h : helpers) h.get();
    }
    std::vector<SsdDetection> found;
    for (std::vector<SsdDetection>& w : perJob)
        found.insert(found.end(), std::make_move_iterator(w.begin()),
                     std::make_move_iterator(w.end()));
    found = weightedNonMaxSuppression(std::move(found), MERGE_IOU);
    previous_.clear();
    for (const SsdDetection& d : found) previous_.push_back(d.box);
    return found;
}

std::optional<std::vector<FaceObservation>> FaceSearch::detectFaceRectangles(const Image& frame) {
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
