#pragma once
// What the benchmark programs share: running a program for its time and peak memory, the
// generated source clips (kept in a folder between runs) and projects over them.

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <variant>
#include <vector>

extern char** environ;
namespace fs = std::filesystem;

struct Measure {
    double seconds = 0;
    double cpuSeconds = 0;  // user + system: steadier than wall time on a busy machine
    long peakKilobytes = 0;
    bool ok = false;
};

// The `--name value` options of a bench program, each read into its setting; others are
// ignored.
using BenchSetting = std::variant<int*, std::string*, fs::path*>;
inline void readOptions(int argc, char** argv,
                        const std::vector<std::pair<std::string, BenchSetting>>& settings) {
    for (int i = 1; i + 1 < argc; i += 2)
        for (const auto& [name, setting] : settings) {
            if (name != argv[i]) continue;
            if (auto* number = std::get_if<int*>(&setting)) **number = std::stoi(argv[i + 1]);
            if (auto* text = std::get_if<std::string*>(&setting)) **text = argv[i + 1];
            if (auto* path = std::get_if<fs::path*>(&setting)) **path = argv[i + 1];
        }
}

// The veilcut program beside the bench programs' folder (build/bench/NAME -> build/veilcut).
inline std::string veilcutProgram() {
    return (fs::canonical("/proc/self/exe").parent_path().parent_path() / "veilcut").string();
}

// Runs a program to its end; its wall time and peak resident memory.
inline Measure runProcess(const std::vector<std::string>& args) {
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

inline Measure median(std::vector<Measure> runs) {
    std::sort(runs.begin(), runs.end(),
              [](const Measure& a, const Measure& b) { return a.seconds < b.seconds; });
    Measure m = runs[runs.size() / 2];
    for (const auto& r : runs) {
        m.ok = m.ok && r.ok;
        m.peakKilobytes = std::max(m.peakKilobytes, r.peakKilobytes);
    }
    return m;
}

// A project over `source` with no regions, or with three shapes moving across the picture, and
// with everything but the people styled when `background` names a style.
inline std::string writeProject(const fs::path& dir, const std::string& source, bool withShapes,
                                const std::string& background = "") {
    fs::path path =
        dir / (fs::path(source).stem().string() + (withShapes ? "-three-shapes" : "-no-regions") +
               (background.empty() ? "" : "-" + background) + ".veilcut.json");
    std::string shapes = withShapes ? R"(
      { "type": "circle", "style": "gaussian", "intensity": 0.5, "rect": [0.05, 0.6, 0.2, 0.3],
        "keyframes": [ { "t": 0, "rect": [0.05, 0.6, 0.2, 0.3] }, { "t": 20, "rect": [0.7, 0.6, 0.2, 0.3] } ] },
      { "type": "rectangle", "style": "pixellate", "intensity": 0.5, "rect": [0.4, 0.1, 0.2, 0.3],
        "keyframes": [ { "t": 0, "rect": [0.4, 0.1, 0.2, 0.3] }, { "t": 20, "rect": [0.4, 0.5, 0.2, 0.3] } ] },
      { "type": "emoji", "emoji": "\ud83d\ude00", "rect": [0.7, 0.1, 0.2, 0.3],
        "keyframes": [ { "t": 0, "rect": [0.7, 0.1, 0.2, 0.3] }, { "t": 20, "rect": [0.05, 0.1, 0.2, 0.3] } ] })"
                                    : "";
    std::ofstream(path) << R"({ "veilcut": 1, "source": ")" << source << R"(", "shapes": [)"
                        << shapes << "]"
                        << (background.empty() ? ""
                                               : R"(, "background": { "style": ")" + background +
                                                     R"(", "intensity": 0.5, "softness": 0 })")
                        << " }";
    return path.string();
}

// A moving test picture with a tone; key frames every `keyframeInterval` frames (x264's own
// choice, up to 250, for 0).
inline std::string makeClip(const fs::path& dir, const std::string& size, int seconds,
                            int keyframeInterval = 0) {
    const std::string gop = keyframeInterval ? "-gop" + std::to_string(keyframeInterval) : "";
    fs::path clip = dir / ("source-" + size + "-" + std::to_string(seconds) + "s" + gop + ".mp4");
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
                            "-g",
                            std::to_string(keyframeInterval ? keyframeInterval : 250),
                            "-keyint_min",
                            std::to_string(keyframeInterval ? keyframeInterval : 25),
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
