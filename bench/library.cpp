// The home screen's costs, each beside its baseline: a thumbnail made from a 1080p video
// (opening, seeking, decoding, scaling, writing the cache file) and one read back from the cache,
// against decoding the video's first frame at full size; listing a library of 5,000 videos in
// 100 folders against a bare walk of the same tree.
// Run: build/bench/library [--benchmark_filter=...]
#include <benchmark/benchmark.h>

#include "BenchClips.h"
#include "platform/library/ThumbnailCache.h"
#include "platform/library/VideoLibrary.h"
#include "platform/media/VideoReader.h"

namespace {

fs::path benchFolder() {
    fs::path dir = fs::temp_directory_path() / "veilcut-bench";
    fs::create_directories(dir);
    return dir;
}

const std::string& clip() {
    static const std::string made = makeClip(benchFolder(), "1920x1080", 10);
    return made;
}

// Each benchmark makes its inputs before its timed loop: the first run generates them.
void firstFrameAtFullSize(benchmark::State& state) {
    const std::string& source = clip();
    for (auto _ : state) {
        auto reader = VideoReader::open(source, {});
        VideoFrame frame;
        if (!reader || reader->read(frame) != ReadStatus::frame) {
            state.SkipWithError("cannot decode the clip");
            return;
        }
        benchmark::DoNotOptimize(frame.image.pixels.data);
    }
}

void thumbnailMade(benchmark::State& state) {
    const std::string& source = clip();
    ThumbnailCache cache((benchFolder() / "thumbnails").string());
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove(cache.entryPath(source));
        state.ResumeTiming();
        VideoPreview preview = cache.preview(source);
        if (preview.picture.empty()) {
            state.SkipWithError(preview.problem.c_str());
            return;
        }
    }
}

void thumbnailFromCache(benchmark::State& state) {
    const std::string& source = clip();
    ThumbnailCache cache((benchFolder() / "thumbnails").string());
    cache.preview(source);
    for (auto _ : state) benchmark::DoNotOptimize(cache.preview(source).picture.pixels.data);
}

// 100 folders of 50 files named like videos (never opened by the listing).
const fs::path& library() {
    static const fs::path root = [] {
        fs::path dir = benchFolder() / "library";
        if (!fs::exists(dir / "done")) {
            for (int f = 0; f < 100; ++f) {
                fs::path folder = dir / ("album " + std::to_string(f));
                fs::create_directories(folder);
                for (int i = 0; i < 50; ++i) std::ofstream(folder / (std::to_string(i) + ".mp4"));
            }
            std::ofstream(dir / "done");
        }
        return dir;
    }();
    return root;
}

void bareWalk(benchmark::State& state) {
    const fs::path& root = library();
    for (auto _ : state) {
        size_t files = 0;
        for (const auto& entry : fs::recursive_directory_iterator(root))
            files += entry.is_regular_file();
        benchmark::DoNotOptimize(files);
    }
}

void libraryScan(benchmark::State& state) {
    VideoLibrary videos({library().string()});
    for (auto _ : state) benchmark::DoNotOptimize(videos.scan().albums.size());
}

BENCHMARK(firstFrameAtFullSize)->Unit(benchmark::kMillisecond);
BENCHMARK(thumbnailMade)->Unit(benchmark::kMillisecond);
BENCHMARK(thumbnailFromCache)->Unit(benchmark::kMillisecond);
BENCHMARK(bareWalk)->Unit(benchmark::kMillisecond);
BENCHMARK(libraryScan)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
