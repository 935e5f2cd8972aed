// Speed of the object tracking passes on a generated 1080p30 clip of 60 s (the test picture,
// x264 with its default keyframe interval): frames per second of the forward pass and of the
// backward pass (50-frame chunks read forwards, judged newest first), against decoding alone
// at the same reduced size, forwards and in the backward pass's chunks, measured in the same
// run. Wall time and processor time of all threads (steadier on a busy machine).
// Run: build/bench/track [SECONDS]   (SECONDS: clip length, 60 unless given)
#include <sys/resource.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "objects/ObjectTrackingRun.h"
#include "platform/dispatch/MainQueue.h"
#include "platform/image/FrameMemory.h"

namespace {

struct Clock {
    std::chrono::steady_clock::time_point wall = std::chrono::steady_clock::now();
    double cpu = processorSeconds();
    static double processorSeconds() {
        rusage u{};
        getrusage(RUSAGE_SELF, &u);
        return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
               double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
    }
};

struct Measure {
    double wallSeconds, cpuSeconds;
    int frames;
};

Measure since(const Clock& c, int frames) {
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - c.wall).count(),
            Clock::processorSeconds() - c.cpu, frames};
}

void print(const char* name, const Measure& m, const Measure& base) {
    std::printf("%-28s %6d frames  %7.1f fps  %7.2f ms/frame CPU  x%.2f of decoding (CPU x%.2f)\n",
                name, m.frames, m.frames / m.wallSeconds, 1000 * m.cpuSeconds / m.frames,
                (m.wallSeconds / m.frames) / (base.wallSeconds / base.frames),
                (m.cpuSeconds / m.frames) / (base.cpuSeconds / base.frames));
}

std::string clip(int seconds) {
    std::string dir = "/tmp/veilcut-bench-track";
    std::filesystem::create_directories(dir);
    std::string path = dir + "/testsrc2-1080p30-" + std::to_string(seconds) + "s.mp4";
    if (!std::filesystem::exists(path)) {
        std::string cmd =
            "ffmpeg -nostdin -loglevel error -y -f lavfi -i testsrc2=size=1920x1080:"
            "rate=30:duration=" +
            std::to_string(seconds) + " -c:v libx264 -preset veryfast -pix_fmt yuv420p " + path +
            ".tmp.mp4 && mv " + path + ".tmp.mp4 " + path;
        if (std::system(cmd.c_str()) != 0) {
            std::fprintf(stderr, "cannot generate %s\n", path.c_str());
            std::exit(1);
        }
    }
    return path;
}

Measure decodeForward(const std::string& path) {
    Clock c;
    auto source = openVideoFrameSource(path, int(ObjectTrackingRun::DETECTION_FRAME_SIDE));
    source->setRange({MediaTime::zero(), MediaTime(1 << 30, 1)});
    VideoFrame frame;
    int frames = 0;
    while (source->read(frame) == ReadStatus::frame) ++frames;
    return since(c, frames);
}

Measure decodeInChunks(const std::string& path, double seconds) {
    Clock c;
    auto source = openVideoFrameSource(path, int(ObjectTrackingRun::DETECTION_FRAME_SIDE));
    const double chunk = ObjectTrackingRun::CHUNK_FRAMES / 30.0;
    VideoFrame frame;
    int frames = 0;
    for (int i = 0; i < int(std::ceil(seconds / chunk)); ++i) {
        MediaTime start = MediaTime::fromSeconds(std::max(seconds - chunk * (i + 1), 0.0), 90000);
        MediaTime end = MediaTime::fromSeconds(seconds - chunk * i, 90000);
        source->setRange({start, end - start});
        while (source->read(frame) == ReadStatus::frame) ++frames;
    }
    return since(c, frames);
}

Measure trackPass(const std::shared_ptr<SourceVideo>& video, bool forward) {
    ObjectTrackingRun processor;
    const Rect box{0.63, 0.63, 0.23, 0.2};  // the still checkerboard of the test picture
    size_t frames = 0;
    bool done = false;
    auto completion = [&](std::deque<RegionSample> samples, std::optional<Image>) {
        frames = samples.size();
        done = true;
    };
    auto cancelled = [&] { done = true; };
    Clock c;
    if (forward)
        processor.trackForward(video, MediaTime::zero(), box, {}, completion, cancelled);
    else
        processor.trackBackward(video, MediaTime::zero(), *video->duration(), box, {}, completion,
                                cancelled);
    MainQueue::shared().runUntil([&] { return done; }, std::chrono::hours(1));
    return since(c, int(frames));
}

}  // namespace

int main(int argc, char** argv) {
    keepFreedFramesInHeap();
    int seconds = argc > 1 ? std::atoi(argv[1]) : 60;
    std::string path = clip(seconds);
    auto video = std::make_shared<SourceVideo>(path);
    video->waitUntilLoaded();
    std::printf("%s, frames fitted into 768 px, BGRA\n", path.c_str());
    Measure decode = decodeForward(path);
    Measure chunks = decodeInChunks(path, video->duration()->seconds());
    Measure forward = trackPass(video, true);
    Measure backward = trackPass(video, false);
    print("decode forwards", decode, decode);
    print("decode in backward chunks", chunks, decode);
    print("forward pass", forward, decode);
    print("backward pass", backward, decode);
    std::printf("backward / forward: wall x%.2f, CPU x%.2f per frame\n",
                (backward.wallSeconds / backward.frames) / (forward.wallSeconds / forward.frames),
                (backward.cpuSeconds / backward.frames) / (forward.cpuSeconds / forward.frames));
    return 0;
}
