#include "session/FaceScanWait.h"

#include <algorithm>
#include <chrono>

#include "faces/FaceEditor.h"

namespace {

constexpr auto REPORT_INTERVAL = std::chrono::milliseconds(100);

}  // namespace

bool waitForFaceScan(const FaceEditor& face, const std::atomic<bool>& cancel, double p0,
                     double share, const std::function<void(double)>& report) {
    using Clock = std::chrono::steady_clock;
    auto nextReport = Clock::now() + REPORT_INTERVAL;
    while (true) {
        // Taken before the look, so a change right after it still ends the sleep below.
        const uint64_t seen = face.scanChanges();
        if (face.scanState() == FaceScanState::end) return true;
        if (cancel.load()) return false;
        auto now = Clock::now();
        if (now >= nextReport) {
            nextReport = now + REPORT_INTERVAL;
            double remaining = 1 - p0;
            double p = face.scanProgress();
            report(remaining > 0 ? std::max(0.0, p - p0) / remaining * share : 0.0);
        }
        // The cancel flag signals nobody: it is seen at the next report at the latest.
        face.waitForScanChange(
            seen, std::chrono::ceil<std::chrono::milliseconds>(nextReport - Clock::now()));
    }
}
