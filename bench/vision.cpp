// Milliseconds per call of each vision service on 768×432 frames (median of 50 calls).
// Run: build/bench/vision --benchmark_time_unit=ms
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

#include "AstronautScene.h"
#include "platform/vision/BlazePoseTracker.h"
#include "platform/vision/CsrtObjectTracker.h"
#include "platform/vision/FaceSearch.h"
#include "platform/vision/SelfieSegmenter.h"
#include "platform/vision/VisionFrame.h"

namespace {

// A 768×432 frame with one person (the astronaut photograph) on a smooth background.
const Image& frame() {
    static const Image image =
        astronautScene(cv::Mat(432, 768, CV_8UC3, cv::Scalar(150, 120, 90)), {200, 16, 400, 400});
    return image;
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
        Rect b = regionRect(cv::Rect2f(330, 40, 140, 140), cv::Size(768, 432));
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
BENCHMARK(segmentation)->Apply(median50);
BENCHMARK(poseOneTrackedPerson)->Apply(median50);
BENCHMARK(trackerStep)->Apply(median50);

}  // namespace

BENCHMARK_MAIN();
