// Loading a project whose one face has 50k to 400k samples (a 16 MiB file holds at most some
// 600k): reading the document, then making the tracked region from its samples. The time
// per sample should stay flat as the count grows; Google Benchmark fits the growth ("BigO") and
// a fit other than N (or N log N, from sorting the samples) means a step went quadratic.
// Run: build/bench/project
#include <benchmark/benchmark.h>

#include <map>
#include <string>

#include "project/ProjectReader.h"
#include "regions/TrackedRegion.h"

namespace {

// A document holding one long-tracked face, its sample times in whole seconds to fit the most
// samples into the size limit.
const std::string& document(int samples) {
    static std::map<int, std::string> made;
    std::string& text = made[samples];
    if (text.empty()) {
        text = R"({"veilcut": 1, "source": "clip.mp4", "faces": [{"type": "circle", "samples": [)";
        for (int i = 0; i < samples; ++i) {
            if (i) text += ',';
            text += R"({"t":)" + std::to_string(i) + R"(,"rect":[0.2,0.2,0.5,0.5]})";
        }
        text += "]}]}";
    }
    return text;
}

void loadSamples(benchmark::State& state) {
    const std::string& text = document(int(state.range(0)));
    for (auto _ : state) {
        auto read = parseProject(text);
        if (!read.document) {
            state.SkipWithError(read.error.c_str());
            return;
        }
        std::vector<RegionSample> samples;
        for (const auto& s : read.document->faces.at(0).samples)
            samples.push_back({resolveProjectTime(s.t, 600), s.rect});
        TrackedRegion region(std::move(samples), Image(), "😀", Cover::circle, false);
        benchmark::DoNotOptimize(region.samples.data());
    }
    state.SetComplexityN(state.range(0));
    state.counters["samples/s"] =
        benchmark::Counter(double(state.range(0)), benchmark::Counter::kIsIterationInvariantRate);
}

// Processor time: reading is one thread, and wall time on a shared machine wanders.
BENCHMARK(loadSamples)
    ->Arg(50'000)
    ->Arg(100'000)
    ->Arg(200'000)
    ->Arg(400'000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

}  // namespace

BENCHMARK_MAIN();
