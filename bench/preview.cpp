// Preview playback speed and scrub response, through the playback engine at the preview size.
//
//   preview [--seconds 10] [--dir DIR]
//   preview --memory-seconds 600 [--dir DIR]   (memory while playing a long clip, instead)
//
// On a generated 1080p30 clip with 1-second key frame intervals, in one run:
//   (a) plain decoding of the clip at the preview size (the baseline);
//   (b) the engine playing the whole clip as fast as it can (its clock never holds a frame back)
//       with three moving shapes and a styled background, every frame rendered and presented;
// and prints b/a and (b) against real time, which must stay above 2 (60 frames a second) for
// the preview to keep its frame rate with room to spare. Then, for 20 seeks to spread-out
// times on clips with 1-second and 250-frame key frame intervals, the median and worst time
// from the request to the first picture on screen (the key frame decoding starts from) and to
// the exact frame.

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "BenchClips.h"
#include "platform/dispatch/MainQueue.h"
#include "platform/image/FrameMemory.h"
#include "platform/media/VideoReader.h"
#include "player/PreviewPlayer.h"
#include "session/EditSession.h"
#include "session/PreviewCompositor.h"

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Frames per second of decoding `source` at `size`, nothing else.
double decodingRate(const std::string& source, Size size) {
    VideoReaderSettings settings;
    settings.width = int(size.width);
    settings.height = int(size.height);
    auto reader = VideoReader::open(source, settings);
    if (!reader) return 0;
    VideoFrame frame;
    int frames = 0;
    auto start = Clock::now();
    while (reader->read(frame) == ReadStatus::frame) ++frames;
    return frames / secondsSince(start);
}

// Presented frames and their times, as the player's thread hands them over.
struct Screen {
    std::mutex mutex;
    int presented = 0;
    double lastTime = -1;
    std::optional<Clock::time_point> firstSince;  // the first frame since `watch`
    void present(const MediaTime& time) {
        std::lock_guard lock(mutex);
        ++presented;
        lastTime = time.seconds();
        if (!firstSince) firstSince = Clock::now();
    }
    void watch() {
        std::lock_guard lock(mutex);
        firstSince.reset();
    }
    std::optional<Clock::time_point> first() {
        std::lock_guard lock(mutex);
        return firstSince;
    }
    int count() {
        std::lock_guard lock(mutex);
        return presented;
    }
};

std::unique_ptr<PreviewPlayer> openPlayer(EditSession& session, Screen& screen,
                                          PlaybackClock::Now now = &Clock::now) {
    PreviewPlayerCallbacks callbacks;
    callbacks.render = [&session](const Image& source, const MediaTime& time) {
        return session.renderFrame(source, time, RenderPurpose::preview);
    };
    callbacks.present = [&screen](const Image&, const MediaTime& time) { screen.present(time); };
    std::string error;
    auto player =
        PreviewPlayer::open(session.source()->path(), previewRenderSize(*session.source()->size()),
                            std::move(callbacks), {nullptr, std::move(now)}, &error);
    if (!player) std::fprintf(stderr, "%s\n", error.c_str());
    return player;
}

// Frames per second of the engine playing the whole clip with no clock to wait for.
double playingRate(EditSession& session, int frames) {
    Screen screen;
    // A clock that started long ago: every frame is already due.
    auto player = openPlayer(session, screen, [] { return Clock::time_point{}; });
    if (!player) return 0;
    auto start = Clock::now();
    player->play();
    MainQueue::shared().runUntil([&] { return screen.count() >= frames; },
                                 std::chrono::minutes(10));
    double rate = screen.count() / secondsSince(start);
    player->pause();
    return rate;
}

struct ScrubTimes {
    double median = 0, worst = 0;
    double firstMedian = 0, firstWorst = 0;  // to the first picture (a key frame or the exact one)
};

// Request to frame on screen for `count` exact seeks spread over the clip, one at a time.
ScrubTimes scrubTimes(EditSession& session, double seconds, int count) {
    Screen screen;
    auto player = openPlayer(session, screen);
    std::vector<double> times, firsts;
    for (int i = 0; i < count; ++i) {
        // Spread over the clip, never on a key frame's own time.
        double target = std::fmod(0.37 + i * 0.61803398875 * seconds, seconds - 0.1);
        bool done = false;
        screen.watch();
        auto start = Clock::now();
        player->seek(MediaTime::fromSeconds(target, 600), [&](bool) { done = true; });
        MainQueue::shared().runUntil([&] { return done; }, std::chrono::minutes(1));
        times.push_back(secondsSince(start));
        firsts.push_back(
            std::chrono::duration<double>(screen.first().value_or(Clock::now()) - start).count());
    }
    std::sort(times.begin(), times.end());
    std::sort(firsts.begin(), firsts.end());
    return {times[times.size() / 2], times.back(), firsts[firsts.size() / 2], firsts.back()};
}

// The process's resident memory in MB.
double residentMegabytes() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.starts_with("VmRSS:")) return std::stod(line.substr(6)) / 1024;
    return 0;
}

// Plays the whole of `session`'s source as fast as the engine goes, printing resident memory
// after each tenth of it: flat when nothing piles up with the length played.
void memoryOverLength(EditSession& session, int frames) {
    Screen screen;
    auto player = openPlayer(session, screen, [] { return Clock::time_point{}; });
    if (!player) return;
    player->play();
    std::printf("resident memory while playing (MB):");
    for (int tenth = 1; tenth <= 10; ++tenth) {
        MainQueue::shared().runUntil([&] { return screen.count() >= frames * tenth / 10; },
                                     std::chrono::minutes(30));
        std::printf(" %.0f", residentMegabytes());
        std::fflush(stdout);
    }
    std::printf("\n");
    player->pause();
}

bool openProject(EditSession& session, const std::string& project) {
    if (auto problem = session.openProject(project)) {
        std::fprintf(stderr, "%s\n", problem->c_str());
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    keepFreedFramesInHeap();
    int seconds = 10;
    int memorySeconds = 0;
    fs::path dir = fs::temp_directory_path() / "veilcut-bench";
    readOptions(argc, argv,
                {{"--seconds", &seconds}, {"--memory-seconds", &memorySeconds}, {"--dir", &dir}});
    fs::create_directories(dir);
    if (memorySeconds > 0) {
        std::string clip = makeClip(dir, "1280x720", memorySeconds, 30);
        EditSession session;
        if (clip.empty() || !openProject(session, writeProject(dir, clip, true, "gaussian")))
            return 1;
        std::printf("clip 1280x720, %d s, three shapes and a background\n", memorySeconds);
        memoryOverLength(session, memorySeconds * 30);
        return 0;
    }
    const std::string size = "1920x1080";
    std::string shortGops = makeClip(dir, size, seconds, 30);
    std::string longGops = makeClip(dir, size, seconds, 250);
    if (shortGops.empty() || longGops.empty()) {
        std::fprintf(stderr, "cannot make the test clips\n");
        return 1;
    }
    EditSession session;
    if (!openProject(session, writeProject(dir, shortGops, true, "gaussian"))) return 1;
    const Size preview = previewRenderSize(*session.source()->size());

    const int frames = seconds * 30;
    double decoding = decodingRate(shortGops, preview);
    double playing = playingRate(session, frames);
    std::printf("clip %s, %d s at 30 fps, previewed at %.0fx%.0f\n", size.c_str(), seconds,
                preview.width, preview.height);
    std::printf("(a) decoding only                          %6.1f fps\n", decoding);
    std::printf("(b) playing, three shapes and a background %6.1f fps = %.2fx real time\n", playing,
                playing / 30);
    std::printf("b/a = %.3f\n", playing / decoding);

    for (auto [label, clip] :
         {std::pair{"1-second", shortGops}, std::pair{"250-frame", longGops}}) {
        EditSession scrubbed;
        if (!openProject(scrubbed, writeProject(dir, clip, true, "gaussian"))) return 1;
        ScrubTimes t = scrubTimes(scrubbed, seconds, 20);
        std::printf(
            "seek, %s key frame intervals: first picture median %.0f ms, worst %.0f ms; "
            "exact frame median %.0f ms, worst %.0f ms\n",
            label, t.firstMedian * 1000, t.firstWorst * 1000, t.median * 1000, t.worst * 1000);
    }
    return 0;
}
