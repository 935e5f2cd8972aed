// Milliseconds per 1920×1080 export frame for the shape stage: each kind of shape alone and
// the three together (the shapes of the export benchmark), against one full-frame copy measured
// in the same run. Median of 30 runs; "Time" is wall time, "CPU" all threads' processor time.
// Run: build/bench/shapes
#include <benchmark/benchmark.h>

#include "FrameBenchmarkMain.h"

#include "platform/image/TestCard.h"
#include "shapes/ShapeEditor.h"

namespace {

const Image& frame() {
    static const Image card = makeTestCard(1920, 1080);
    return card;
}

Shape shape(Cover type, StyleKind style, Rect rect) {
    Shape s(MediaTimeRange{MediaTime::zero(), MediaTime::fromSeconds(20, 600)}, rect, "😀", false);
    s.cover = type;
    s.style.type = style;
    s.style.intensity = 0.5;
    return s;
}

// 0: Gaussian circle, 1: pixellated rectangle, 2: emoji, 3: all three.
const ShapeEditor& editor(int which) {
    static const CurrentSource noSource;
    static ShapeEditor editors[4] = {ShapeEditor(noSource), ShapeEditor(noSource),
                                     ShapeEditor(noSource), ShapeEditor(noSource)};
    ShapeEditor& e = editors[which];
    if (e.shapes().empty()) {
        const std::vector<Shape> all = {
            shape(Cover::circle, StyleKind::gaussian, {0.3, 0.1, 0.2, 0.3}),
            shape(Cover::rectangle, StyleKind::pixellate, {0.4, 0.5, 0.2, 0.3}),
            shape(Cover::emoji, StyleKind::normal, {0.7, 0.6, 0.2, 0.3})};
        e.load(which == 3 ? all : std::vector<Shape>{all[size_t(which)]});
    }
    return e;
}

void shapeStage(benchmark::State& state) {
    const ShapeEditor& e = editor(int(state.range(0)));
    const MediaTime at = MediaTime::fromSeconds(1, 600);
    const FrameContext context{at, 1.0 / 30, RenderPurpose::exportFile, nullptr};
    for (auto _ : state) benchmark::DoNotOptimize(e.render(frame(), frame(), context, nullptr));
}

void frameCopy(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(frame().pixels.clone());
}

void median30(benchmark::internal::Benchmark* b) {
    b->Unit(benchmark::kMillisecond)
        ->Repetitions(30)
        ->ReportAggregatesOnly(true)
        ->MeasureProcessCPUTime()
        ->UseRealTime();
}

BENCHMARK(frameCopy)->Apply(median30);
BENCHMARK(shapeStage)->DenseRange(0, 3)->Apply(median30);

}  // namespace

int main(int argc, char** argv) {
    return runFrameBenchmarks(argc, argv);
}
