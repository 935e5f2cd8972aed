// Export speed and memory against a plain ffmpeg transcode with the same encoder settings.
//
//   export [--size 1920x1080] [--seconds 20] [--runs 3] [--dir DIR]
//
// Generates a test clip with audio (kept in DIR between runs), then times, in one run, the
// median of `runs` of (a) `ffmpeg` transcoding it with Veilcut's encoder, preset, bit rate and
// audio settings and no filter, and (b) Veilcut's export of the same clip with no regions, each
// in its own process so its peak resident memory can be read. Prints b/a (wall and CPU time)
// and the highest peak of each.

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "core/AssetHandler.h"
#include "core/CEdit.h"
#include "core/Manager.h"
#include "faces/CFace.h"
#include "platform/dispatch/MainQueue.h"
#include "platform/media/MediaFile.h"
#include "platform/media/VideoWriter.h"

extern char** environ;
namespace fs = std::filesystem;

namespace {

struct Measure {
    double seconds = 0;
    double cpuSeconds = 0;  // user + system: steadier than wall time on a busy machine
    long peakKilobytes = 0;
    bool ok = false;
};

// Runs a program to its end; its wall time and peak resident memory.
Measure runProcess(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    auto started = std::chrono::steady_clock::now();
    pid_t pid;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return {};
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    Measure m;
    m.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    m.peakKilobytes = usage.ru_maxrss;
    auto toSeconds = [](timeval t) { return double(t.tv_sec) + t.tv_usec / 1e6; };
    m.cpuSeconds = toSeconds(usage.ru_utime) + toSeconds(usage.ru_stime);
    m.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return m;
}

Measure median(std::vector<Measure> runs) {
    std::sort(runs.begin(), runs.end(),
              [](const Measure& a, const Measure& b) { return a.seconds < b.seconds; });
    Measure m = runs[runs.size() / 2];
    for (const auto& r : runs) {
        m.ok = m.ok && r.ok;
        m.peakKilobytes = std::max(m.peakKilobytes, r.peakKilobytes);
    }
    return m;
}

// Exports `source` into `folder` through the edit state, as the editor does, with no regions.
int exportOnce(const std::string& source, const std::string& folder) {
    MainQueue::shared().bindToCurrentThread();
    auto asset = std::make_shared<AssetHandler>(source);
    asset->waitUntilLoaded();
    Manager::shared().setAsset(asset);
    CEdit& edit = CEdit::shared();
    edit.cFace().trackState = CFaceTrackState::end;
    edit.cFace().progressRate = 1.0;
    std::optional<ExportResult> result;
    edit.exportVideo([](double) {}, [&](const ExportResult& r) { result = r; });
    MainQueue::shared().runUntil([&] { return result.has_value(); }, std::chrono::hours(2));
    if (!result || !result->file) {
        std::fprintf(stderr, "export failed: %s\n", result ? result->error.c_str() : "timeout");
        return 1;
    }
    std::error_code ec;
    fs::rename(result->file->url, fs::path(folder) / "veilcut.mp4", ec);
    return 0;
}

std::string makeClip(const fs::path& dir, const std::string& size, int seconds) {
    fs::path clip = dir / ("source-" + size + "-" + std::to_string(seconds) + "s.mp4");
    if (fs::exists(clip)) return clip.string();
    std::string d = std::to_string(seconds);
    // A camera-like data rate: x264's default quality on a moving test picture.
    Measure m = runProcess({"ffmpeg",
                            "-nostdin",
                            "-v",
                            "error",
                            "-y",
                            "-f",
                            "lavfi",
                            "-i",
                            "testsrc2=size=" + size + ":rate=30:duration=" + d,
                            "-f",
                            "lavfi",
                            "-i",
                            "sine=frequency=440:sample_rate=48000:duration=" + d,
                            "-c:v",
                            "libx264",
                            "-preset",
                            "fast",
                            "-crf",
                            "18",
                            "-pix_fmt",
                            "yuv420p",
                            "-c:a",
                            "aac",
                            "-b:a",
                            "192k",
                            "-ac",
                            "2",
                            "-shortest",
                            clip.string() + ".tmp.mp4"});
    if (!m.ok) return {};
    fs::rename(clip.string() + ".tmp.mp4", clip);
    return clip.string();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "--export") return exportOnce(argv[2], argv[3]);
    // Resolved first: a rebuild while the clip is generated would leave /proc/self/exe dangling.
    std::string self = fs::canonical("/proc/self/exe").string();

    std::string size = "1920x1080";
    int seconds = 20, runs = 3;
    fs::path dir = fs::temp_directory_path() / "veilcut-bench";
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string key = argv[i], value = argv[i + 1];
        if (key == "--size")
            size = value;
        else if (key == "--seconds")
            seconds = std::stoi(value);
        else if (key == "--runs")
            runs = std::stoi(value);
        else if (key == "--dir")
            dir = value;
    }
    fs::create_directories(dir);
    std::string source = makeClip(dir, size, seconds);
    if (source.empty()) {
        std::fprintf(stderr, "cannot make the test clip\n");
        return 1;
    }
    auto probe = MediaFile::open(source);
    double bitRate = probe ? probe->bitRate(0).value_or(0) : 0;

    std::vector<Measure> plain, ours;
    for (int run = 0; run < runs; ++run) {
        plain.push_back(runProcess({"ffmpeg",
                                    "-nostdin",
                                    "-v",
                                    "error",
                                    "-y",
                                    "-i",
                                    source,
                                    "-map",
                                    "0:v:0",
                                    "-map",
                                    "0:a:0",
                                    "-c:v",
                                    "libx264",
                                    "-preset",
                                    H264_PRESET,
                                    "-b:v",
                                    std::to_string(int64_t(bitRate)),
                                    "-pix_fmt",
                                    "yuv420p",
                                    "-color_primaries",
                                    "bt709",
                                    "-color_trc",
                                    "bt709",
                                    "-colorspace",
                                    "bt709",
                                    "-c:a",
                                    "aac",
                                    "-b:a",
                                    "128k",
                                    "-ac",
                                    "1",
                                    "-ar",
                                    "44100",
                                    (dir / "ffmpeg.mp4").string()}));
        ours.push_back(runProcess({self, "--export", source, dir.string()}));
    }
    Measure a = median(plain), b = median(ours);
    if (!a.ok || !b.ok) {
        std::fprintf(stderr, "a run failed\n");
        return 1;
    }
    double frames = seconds * 30.0;
    std::printf("clip %s, %d s at 30 fps, %.1f Mbit/s, median of %d\n", size.c_str(), seconds,
                bitRate / 1e6, runs);
    auto print = [&](const char* label, const Measure& m) {
        std::printf("%s  %7.2f s  %6.1f fps  cpu %7.2f s  peak %5ld MB\n", label, m.seconds,
                    frames / m.seconds, m.cpuSeconds, m.peakKilobytes / 1024);
    };
    print("(a) ffmpeg transcode", a);
    print("(b) veilcut export  ", b);
    std::printf("b/a = %.3f (wall), %.3f (cpu)\n", b.seconds / a.seconds,
                b.cpuSeconds / a.cpuSeconds);
    return 0;
}
