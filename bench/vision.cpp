// Milliseconds per call of each vision service (median of 50 calls), on full HD frames as the
// face scan sees them, and of each model the face search runs, one call on one thread.
// Run: build/bench/vision
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

#include "AstronautScene.h"
#include "FrameBenchmarkMain.h"
#include "platform/vision/BlazePoseTracker.h"
#include "platform/vision/CsrtObjectTracker.h"
#include "platform/vision/FaceSearch.h"
#include "platform/vision/FullRangeFaceModel.h"
#include "platform/vision/RetinaFaceModel.h"
#include "platform/vision/SelfieSegmenter.h"
#include "platform/vision/VisionFrame.h"

namespace {

// A full HD frame with one person (the astronaut photograph) on a smooth background.
const Image& frame() {
    static const Image image = astronautScene(
        cv::Mat(1080, 1920, CV_8UC3, cv::Scalar(150, 120, 90)), {500, 40, 1000, 1000});
    return image;
}

const cv::Mat& rgb() {
    static const cv::Mat pixels = rgbFrame(frame());
    return pixels;
}

template <class T>
T must(Loaded<T> loaded) {
    if (!loaded) {
        std::fprintf(stderr, "%s\n", loaded.error.c_str());
        std::exit(1);
    }
    return std::move(*loaded.value);
}

// Each service is made once and warmed up: every repetition re-enters these functions, and a
// fresh network's first forward pass (layer allocation) would otherwise be what gets timed.
// The face search as the scan runs it on a sequence (here the same frame again and again): the
// whole frame, its share of the tile sweep and a crop around each small face. Arg 1: the smaller
// tiles of --small-faces.
FaceSearch& faceDetector(bool smallTiles) {
    static std::unique_ptr<FaceSearch> usual, small;
    std::unique_ptr<FaceSearch>& d = smallTiles ? small : usual;
    if (!d) {
        FaceSearch::Options options;
        if (smallTiles) options.tileShare = 1.0f / 5;
        d = must(FaceSearch::create(ModelRegistry::fromEnvironment(), options));
        d->detectFaceRectangles(frame());
    }
    return *d;
}

void faces(benchmark::State& state) {
    FaceSearch& detector = faceDetector(state.range(0) != 0);
    for (auto _ : state) benchmark::DoNotOptimize(detector.detectFaceRectangles(frame()));
}

// BlazeFace on one window: Arg 0 the whole frame, Arg 1 a tile of the sweep (a third of the
// frame's width), Arg 2 a crop following a small face (96 × 96 pixels).
void blazeFaceWindow(benchmark::State& state) {
    static auto model = must(FullRangeFaceModel::create(ModelRegistry::fromEnvironment()));
    const cv::Rect2f windows[] = {{0, 0, 1920, 1080}, {640, 0, 640, 640}, {900, 300, 96, 96}};
    const cv::Rect2f window = windows[state.range(0)];
    model->detect(rgb(), window, 0.4f);
    for (auto _ : state) benchmark::DoNotOptimize(model->detect(rgb(), window, 0.4f));
}

// RetinaFace: Arg 0 its look at the whole frame (1536 on the longer side), Arg 1 a close look
// at a crop following a face, at the input size the face search gives it.
void retinaFace(benchmark::State& state) {
    const bool whole = state.range(0) == 0;
    auto made = [](cv::Size input, cv::Rect2f window) {
        auto model = must(RetinaFaceModel::create(ModelRegistry::fromEnvironment(), input));
        model->detect(rgb(), window, 0.4f);
        return std::pair(std::move(model), window);
    };
    static auto wholeLook = made(RetinaFaceModel::inputFor(rgb().size(), 1536), {0, 0, 1920, 1080});
    const int side = int(FaceSearch::RETINA_FOLLOW.input);
    static auto closeLook = made({side, side}, {900, 300, 288, 288});
    auto& [model, window] = whole ? wholeLook : closeLook;
    for (auto _ : state) benchmark::DoNotOptimize(model->detect(rgb(), window, 0.4f));
}

void segmentation(benchmark::State& state) {
    static auto segmenter = [] {
        auto s = must(SelfieSegmenter::create(ModelRegistry::fromEnvironment()));
        s->personMask(frame());
        return s;
    }();
    for (auto _ : state) benchmark::DoNotOptimize(segmenter->personMask(frame()));
}

void poseOneTrackedPerson(benchmark::State& state) {
    static auto poses = [] {
        auto p = must(BlazePoseTracker::create(ModelRegistry::fromEnvironment()));
        p->detectBodyPoses(frame());  // the person is found once, then followed
        return p;
    }();
    for (auto _ : state) benchmark::DoNotOptimize(poses->detectBodyPoses(frame()));
    state.counters["detector_runs"] = poses->detectorRuns();
}

void trackerStep(benchmark::State& state) {
    static CsrtObjectTracker tracker;
    static const Rect box = [] {
        Rect b = regionRect(cv::Rect2f(830, 100, 350, 350), cv::Size(1920, 1080));
        tracker.track(frame(), b);
        tracker.track(frame(), b);
        return b;
    }();
    for (auto _ : state) benchmark::DoNotOptimize(tracker.track(frame(), box));
}

void median50(benchmark::internal::Benchmark* b) {
    b->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(50)->ReportAggregatesOnly(true);
}

BENCHMARK(faces)->Arg(0)->Apply(median50);
BENCHMARK(faces)->Arg(1)->Apply(median50);
BENCHMARK(blazeFaceWindow)->DenseRange(0, 2)->Apply(median50);
BENCHMARK(retinaFace)->DenseRange(0, 1)->Apply(median50);
BENCHMARK(segmentation)->Apply(median50);
BENCHMARK(poseOneTrackedPerson)->Apply(median50);
BENCHMARK(trackerStep)->Apply(median50);

}  // namespace

int main(int argc, char** argv) {
    return runFrameBenchmarks(argc, argv);
}
