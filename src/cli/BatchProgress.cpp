#include "cli/BatchProgress.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "platform/time/ClockText.h"

namespace {

using Clock = std::chrono::steady_clock;
// A terminal's block is redrawn at most this often, unless a file ends.
constexpr auto REDRAW_INTERVAL = std::chrono::milliseconds(200);
constexpr int BAR_WIDTH = 20;

// The end of `name` that fits in `width` columns (bytes, near enough), so that no line of the
// block wraps and the redraw can count its lines.
std::string fitted(const std::string& name, int width) {
    if (int(name.size()) <= width) return name;
    return "..." + name.substr(name.size() - size_t(std::max(width - 3, 0)));
}

int terminalWidth() {
    winsize size{};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
    return 80;
}

int quarter(double fraction) {
    return int(std::clamp(fraction, 0.0, 1.0) * 4);
}

}  // namespace

BatchProgress::BatchProgress(int files) : files_(files), terminal_(::isatty(STDERR_FILENO) == 1) {}

void BatchProgress::update(const std::string& file, double fraction) {
    auto [entry, added] = running_.emplace(file, 0.0);
    // Every quarter gets its line, in order, even when one report jumps over some: a reader of
    // the log can wait for any of them.
    if (!terminal_)
        for (int q = added ? 0 : quarter(entry->second) + 1; q <= quarter(fraction); ++q)
            std::fprintf(stderr, "%s %d%%\n", file.c_str(), q * 25);
    entry->second = std::max(entry->second, fraction);
    if (terminal_) redraw(false);
}

void BatchProgress::ended(const std::string& file, const std::string& outcome) {
    running_.erase(file);
    ++ended_;
    if (terminal_) {
        erase();
        std::fprintf(stderr, "%s\n", outcome.c_str());
        redraw(true);
        return;
    }
    std::fprintf(stderr, "%s\n%s\n", outcome.c_str(), totalLine().c_str());
}

void BatchProgress::finish() {
    if (terminal_) erase();
}

std::string BatchProgress::totalLine() const {
    double done = ended_;
    for (const auto& entry : running_) done += entry.second;
    double fraction = files_ > 0 ? done / files_ : 1;
    double elapsed = std::chrono::duration<double>(Clock::now() - started_).count();
    std::string left =
        fraction > 0.01 ? minutesAndSeconds(elapsed / fraction * (1 - fraction)) : "--:--";
    char text[128];
    std::snprintf(text, sizeof text, "total: %d of %d files, %d%%, %s left", ended_, files_,
                  int(fraction * 100), left.c_str());
    return text;
}

void BatchProgress::redraw(bool now) {
    auto time = Clock::now();
    if (!now && time - lastDrawn_ < REDRAW_INTERVAL) return;
    lastDrawn_ = time;
    erase();
    // The bar and the percentage take 31 columns.
    const int nameWidth = std::max(terminalWidth() - 32, 10);
    for (const auto& [file, fraction] : running_) {
        std::string bar(size_t(fraction * BAR_WIDTH), '#');
        bar.resize(BAR_WIDTH, '-');
        std::fprintf(stderr, "  [%s] %3d%%  %s\n", bar.c_str(), int(fraction * 100),
                     fitted(file, nameWidth).c_str());
    }
    std::fprintf(stderr, "%s\n", totalLine().c_str());
    linesDrawn_ = int(running_.size()) + 1;
    std::fflush(stderr);
}

void BatchProgress::erase() {
    // Up to the block's first line, then clear to the end of the screen.
    if (linesDrawn_ > 0) std::fprintf(stderr, "\033[%dA\033[J", linesDrawn_);
    linesDrawn_ = 0;
}
