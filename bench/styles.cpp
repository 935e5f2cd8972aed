// Milliseconds per frame for every style: whole 1920×1080 (scale 3.75) and 1024×576 (scale 2)
// frames at intensities 0.25, 0.5 and 1.0, a 300×300 region of a 1080p frame, and the same on
// 16-bit frames. Each figure is the median of several runs after a warm-up.
//
// usage: styles [--runs N] [--cpu]
// --cpu reports processor time (all threads) instead of wall time: steadier on a busy machine;
// on an idle 2-core machine the wall time is about half of it where the work is parallel.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include <opencv2/core.hpp>

#include "core/RegionStyle.h"
#include "core/StyleCatalogue.h"
#include "platform/image/FrameMemory.h"
#include "platform/image/TestCard.h"

namespace {

bool measureCpu = false;

double nowMs() {
    if (measureCpu) {
        timespec t;
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
        return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
    }
    return std::chrono::duration<double, std::milli>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

template <class Work>
double medianMs(int runs, Work&& work) {
    work();  // warm-up: first-use tables, thread pool
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        const double start = nowMs();
        work();
        ms.push_back(nowMs() - start);
    }
    std::nth_element(ms.begin(), ms.begin() + ms.size() / 2, ms.end());
    return ms[ms.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    keepFreedFramesInHeap();
    int runs = 9;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--cpu") == 0) measureCpu = true;
        if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
    }
    std::printf("threads: %d, median of %d runs, %s ms per frame\n\n", cv::getNumThreads(), runs,
                measureCpu ? "processor" : "wall");
    const double intensities[] = {0.25, 0.5, 1.0};
    for (int depth : {CV_8U, CV_16U}) {
        const bool deep = depth == CV_16U;
        const Image hd = makeTestCard(1920, 1080, deep), preview = makeTestCard(1024, 576, deep);
        const Rect region{810, 390, 300, 300};
        std::printf("%s frames\n", depth == CV_8U ? "8-bit" : "16-bit");
        std::printf("%-12s %8s %8s %8s %8s | %8s %8s %8s | %8s\n", "style", "1080p.25", "1080p.5",
                    "1080p1", "1.0/.25", "576p.25", "576p.5", "576p1", "300²@1");
        for (StyleKind type : allStyleKinds) {
            if (type == StyleKind::normal) continue;
            RegionStyle style;
            style.type = type;
            double hdMs[3], previewMs[3];
            for (int i = 0; i < 3; ++i) {
                style.intensity = intensities[i];
                hdMs[i] = medianMs(runs, [&] { (void)style.apply(hd); });
                previewMs[i] = medianMs(runs, [&] { (void)style.apply(preview); });
            }
            style.intensity = 1.0;
            const double regionMs = medianMs(runs * 3, [&] { (void)style.apply(hd, region); });
            std::printf("%-12s %8.2f %8.2f %8.2f %8.2f | %8.2f %8.2f %8.2f | %8.2f\n",
                        StyleCatalogue::entry(type).name.c_str(), hdMs[0], hdMs[1], hdMs[2],
                        hdMs[2] / hdMs[0], previewMs[0], previewMs[1], previewMs[2], regionMs);
        }
        std::printf("\n");
    }
    return 0;
}
