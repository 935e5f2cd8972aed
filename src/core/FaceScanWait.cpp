#include "core/FaceScanWait.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "faces/CFace.h"

namespace {

constexpr auto POLL_INTERVAL = std::chrono::milliseconds(10);
constexpr auto REPORT_INTERVAL = std::chrono::milliseconds(100);

}  // namespace

bool waitForFaceScan(const CFace& face, const std::atomic<bool>& cancel, double p0, double share,
                     const std::function<void(double)>& report) {
    auto lastReport = std::chrono::steady_clock::now();
    while (face.trackState.load() != CFaceTrackState::end) {
        if (cancel.load()) return false;
        auto now = std::chrono::steady_clock::now();
        if (now - lastReport >= REPORT_INTERVAL) {
            lastReport = now;
            double remaining = 1 - p0;
            double p = face.progressRate.load();
            report(remaining > 0 ? std::max(0.0, p - p0) / remaining * share : 0.0);
        }
        std::this_thread::sleep_for(POLL_INTERVAL);
    }
    return true;
}
