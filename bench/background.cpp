// Milliseconds per 1024×576 preview frame for the background stage (segmentation, style and
// compositing), against its parts measured in the same run: the person mask alone, the style
// alone, and the segmenter run on the full frame instead of the reduced one. Median of 30 runs;
// "Time" is wall time, "CPU" the processor time of all threads (steadier on a busy machine).
// Run: build/bench/background --benchmark_time_unit=ms
#include <benchmark/benchmark.h>

#include "FrameBenchmarkMain.h"

#include <opencv2/imgproc.hpp>

#include "AstronautScene.h"
#include "background/BackgroundEditor.h"
#include "platform/vision/ModelRegistry.h"
#include "platform/vision/SelfieSegmenter.h"

namespace {

// The astronaut photograph on a coarse random texture, as a preview frame.
const Image& frame() {
    static const Image image = [] {
        cv::Mat coarse(36, 64, CV_8UC3), texture;
        cv::randu(coarse, 30, 230);
        cv::resize(coarse, texture, cv::Size(1024, 576), 0, 0, cv::INTER_NEAREST);
        return astronautScene(texture, {242, 36, 540, 540});
    }();
    return image;
}

BackgroundEditor& background(double softness) {
    static BackgroundEditor editor;
    RegionStyle style;
    style.type = StyleKind::gaussian;
    style.intensity = 0.5;
    editor.load(style, softness);
    return editor;
}

void wholeStage(benchmark::State& state) {
    BackgroundEditor& editor = background(state.range(0) / 10.0);
    for (auto _ : state) benchmark::DoNotOptimize(editor.render(frame(), frame(), {}, nullptr));
}

void personMaskOnly(benchmark::State& state) {
    BackgroundEditor& editor = background(0);
    for (auto _ : state) benchmark::DoNotOptimize(editor.segmentation().personMask(frame()));
}

void styleOnly(benchmark::State& state) {
    RegionStyle style;  // gaussian at 0.5: radius 40 at this size
    for (auto _ : state) benchmark::DoNotOptimize(style.apply(frame()));
}

void segmenterOnFullFrame(benchmark::State& state) {
    // Made once: every repetition re-enters here, and a fresh network's first pass is slow.
    static auto made = SelfieSegmenter::create(ModelRegistry::fromEnvironment());
    if (!made) {
        state.SkipWithError(made.error.c_str());
        return;
    }
    (*made.value)->personMask(frame());
    for (auto _ : state) benchmark::DoNotOptimize((*made.value)->personMask(frame()));
}

void median30(benchmark::internal::Benchmark* b) {
    b->Unit(benchmark::kMillisecond)
        ->Iterations(1)
        ->Repetitions(30)
        ->ReportAggregatesOnly(true)
        ->MeasureProcessCPUTime()
        ->UseRealTime();
}

BENCHMARK(wholeStage)->Arg(0)->Arg(5)->Apply(median30);
BENCHMARK(personMaskOnly)->Apply(median30);
BENCHMARK(styleOnly)->Apply(median30);
BENCHMARK(segmenterOnFullFrame)->Apply(median30);

}  // namespace

int main(int argc, char** argv) {
    return runFrameBenchmarks(argc, argv);
}
