#include "cli/ProgressReport.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/time/ClockText.h"

ProgressReport::ProgressReport(std::string label)
    : label_(std::move(label)), terminal_(::isatty(STDERR_FILENO) == 1) {}

void ProgressReport::update(double fraction) {
    if (!std::isfinite(fraction)) return;
    fraction = std::clamp(fraction, 0.0, 1.0);
    int percent = int(fraction * 100);
    // A log gets a line every 5 %; a terminal's bar follows every percent.
    if (percent == lastPercent_ || (!terminal_ && percent % 5 != 0)) return;
    lastPercent_ = percent;
    if (!terminal_) {
        std::fprintf(stderr, "%s %d%%\n", label_.c_str(), percent);
        return;
    }
    double elapsed =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
    constexpr int WIDTH = 30;
    int filled = int(fraction * WIDTH);
    std::string bar(size_t(filled), '#');
    bar.resize(WIDTH, '-');
    std::string eta = "--:--";
    if (fraction > 0.01) {
        eta = minutesAndSeconds(elapsed / fraction * (1 - fraction));
    }
    std::fprintf(stderr, "\r%s [%s] %3d%%  %s left ", label_.c_str(), bar.c_str(), percent,
                 eta.c_str());
    std::fflush(stderr);
}

void ProgressReport::finish() {
    if (terminal_ && lastPercent_ >= 0) std::fputc('\n', stderr);
}
