// Face scan speed, in one run so the figures share the machine's load:
//
//   scan [--seconds 10] [--dir DIR] [--long-minutes 10]
//
// (a) frames per second of the plain decode at the scan's frame size, and of the full scan
// (BlazeFace, RetinaFace and the pose tracker) and of the --fast one (BlazeFace and the pose
// tracker) on generated 1080p30 clips with one and with three moving faces; (b) how the scan's own
// cost grows with the video's length: the scan of a 1-minute and a `long-minutes` clip (640x360, so
// decoding stays small) with stand-in detectors that find one moving face and pose at no cost, so
// the time is decoding, association and region building. Prints wall and processor seconds; the
// ratio of (b) should be about the length ratio (linear), not its square.

#include <sys/resource.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "core/SourceVideo.h"
#include "faces/FaceScan.h"
#include "platform/dispatch/MainQueue.h"
#include "platform/image/FrameMemory.h"
#include "platform/media/VideoReader.h"

namespace fs = std::filesystem;

namespace {

struct Measure {
    double seconds = 0;
    double cpuSeconds = 0;
    size_t frames = 0;
    size_t persons = 0;
};

double cpuNow() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           1e-6 * double(u.ru_utime.tv_usec + u.ru_stime.tv_usec);
}

template <typename F>
Measure timed(F&& work) {
    auto start = std::chrono::steady_clock::now();
    double cpu = cpuNow();
    Measure m = work();
    m.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    m.cpuSeconds = cpuNow() - cpu;
    return m;
}

std::string clip(const fs::path& dir, int seconds, int faces, const std::string& size) {
    fs::path path = dir / ("faces" + std::to_string(faces) + "-" + size + "-" +
                           std::to_string(seconds) + "s.mp4");
    if (!fs::exists(path)) {
        std::string command = std::string(VEILCUT_SOURCE_DIR) + "/scripts/make-face-clip.sh " +
                              path.string() + " " + std::to_string(seconds) + " " +
                              std::to_string(faces) + " " + size;
        if (std::system(command.c_str()) != 0) {
            std::fprintf(stderr, "cannot make %s\n", path.c_str());
            std::exit(1);
        }
    }
    return path.string();
}

Measure decode(const std::string& path) {
    VideoReaderSettings settings;
    settings.maxSide = int(DETECTION_FRAME_SIDE);
    auto reader = VideoReader::open(path, settings);
    Measure m;
    VideoFrame frame;
    while (reader && reader->read(frame) == ReadStatus::frame) ++m.frames;
    return m;
}

// One face drifting across the frame with its pose, found at no cost.
struct StandInFaces : FaceRectangleDetector {
    int n = 0;
    std::optional<std::vector<FaceObservation>> detectFaceRectangles(const Image&) override {
        double x = 0.4 + 0.3 * std::sin(++n / 40.0);
        return std::vector<FaceObservation>{{{x, 0.5, 0.1, 0.15}, 0.9f}};
    }
};
struct StandInPoses : BodyPoseDetector {
    int n = 0;
    std::optional<std::vector<BodyPoseObservation>> detectBodyPoses(const Image&) override {
        double x = 0.45 + 0.3 * std::sin(++n / 40.0);
        if (n % 7 == 0) return std::vector<BodyPoseObservation>{};
        return std::vector<BodyPoseObservation>{{Point{x, 0.58}, Point{x, 0.45}}};
    }
    void reset() override {}
};

Measure scan(const std::string& path, FaceScanDetectorFactory detectors) {
    auto video = std::make_shared<SourceVideo>(path);
    video->waitUntilLoaded();
    FaceScan processor(std::move(detectors));
    std::optional<std::vector<TrackedRegion>> result;
    std::string failure;
    processor.scanFaces(
        video, [](double, std::vector<TrackedRegion>) {},
        [&](std::vector<TrackedRegion> regions, int) { result = std::move(regions); },
        [&](const std::string& reason) { failure = reason.empty() ? "failed" : reason; });
    MainQueue::shared().runUntil([&] { return result || !failure.empty(); },
                                 std::chrono::hours(10));
    if (!result) {
        std::fprintf(stderr, "scan failed: %s\n", failure.c_str());
        std::exit(1);
    }
    Measure m;
    m.persons = result->size();
    for (const auto& r : *result) m.frames = std::max(m.frames, r.samples.size());
    return m;
}

void print(const char* what, const Measure& m, size_t frames) {
    std::printf("%-34s %7.1f s wall %7.1f s cpu  %6.1f fps (wall)  %6.1f fps (cpu)  persons %zu\n",
                what, m.seconds, m.cpuSeconds, double(frames) / m.seconds,
                double(frames) / m.cpuSeconds, m.persons);
}

}  // namespace

int main(int argc, char** argv) {
    keepFreedFramesInHeap();
    int seconds = 10, longMinutes = 10;
    fs::path dir = fs::temp_directory_path() / "veilcut-bench-scan";
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string a = argv[i];
        if (a == "--seconds") seconds = std::atoi(argv[i + 1]);
        if (a == "--long-minutes") longMinutes = std::atoi(argv[i + 1]);
        if (a == "--dir") dir = argv[i + 1];
    }
    if (seconds < 1 || longMinutes < 1) {
        std::fprintf(stderr, "--seconds and --long-minutes take a whole number from 1\n");
        return 2;
    }
    fs::create_directories(dir);
    MainQueue::shared().bindToCurrentThread();
    std::string one = clip(dir, seconds, 1, "1920x1080"),
                three = clip(dir, seconds, 3, "1920x1080");
    std::string shortClip = clip(dir, 60, 1, "640x360"),
                longClip = clip(dir, 60 * longMinutes, 1, "640x360");

    Measure d = timed([&] { return decode(one); });
    print("decode 1080p", d, d.frames);
    for (FaceScanReach reach : {FaceScanReach::careful, FaceScanReach::fast}) {
        const char* name = reach == FaceScanReach::fast ? "--fast scan" : "scan";
        Measure s1 = timed([&] { return scan(one, faceScanDetectors(reach)); });
        print((std::string(name) + ", one face").c_str(), s1, d.frames);
        Measure s3 = timed([&] { return scan(three, faceScanDetectors(reach)); });
        print((std::string(name) + ", three faces").c_str(), s3, d.frames);
        std::printf("%s/decode time: one face %.2f, three faces %.2f\n", name,
                    s1.seconds / d.seconds, s3.seconds / d.seconds);
    }

    auto standIn = [](std::string&) -> std::optional<FaceScanDetectors> {
        return FaceScanDetectors{std::make_unique<StandInFaces>(),
                                 std::make_unique<StandInPoses>()};
    };
    Measure shortScan = timed([&] { return scan(shortClip, standIn); });
    print("stand-in scan, 1 minute 360p", shortScan, 60 * 30);
    Measure longScan = timed([&] { return scan(longClip, standIn); });
    print("stand-in scan, long 360p", longScan, size_t(longMinutes) * 60 * 30);
    std::printf("long/short time: %.2f wall, %.2f cpu (length ratio %d)\n",
                longScan.seconds / shortScan.seconds, longScan.cpuSeconds / shortScan.cpuSeconds,
                longMinutes);
    return 0;
}
