#include "session/FaceScanWait.h"

#include <gtest/gtest.h>

#include <thread>

#include "core/CurrentSource.h"
#include "faces/FaceEditor.h"

TEST(FaceScanWait, ReportsTheScansShareAndReturnsWhenItEnds) {
    CurrentSource source;
    FaceEditor face{source};
    const MediaTime duration(2, 1);
    face.progressMerge({}, 0.5, duration, 1.0 / 30);
    std::atomic<bool> cancel{false};
    // Reports with no regions, as the scan's would arrive while this thread waits.
    std::thread scan([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        face.progressMerge({}, 0.75, duration, 1.0 / 30);
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        face.progressMerge({}, 1.0, duration, 1.0 / 30);
        face.completionMerge({}, duration, 1.0 / 30);
    });
    std::vector<double> reports;
    auto started = std::chrono::steady_clock::now();
    EXPECT_TRUE(waitForFaceScan(face, cancel, 0.5, 0.25, [&](double p) { reports.push_back(p); }));
    scan.join();
    auto waited = std::chrono::steady_clock::now() - started;
    // One report per 0.1 s at most, each the scan's progress since the start mapped onto 0...0.25.
    ASSERT_GE(reports.size(), 2u);
    EXPECT_LE(reports.size(), size_t(waited / std::chrono::milliseconds(100)));
    EXPECT_DOUBLE_EQ(reports.front(), 0.0);
    EXPECT_DOUBLE_EQ(reports.back(), 0.125);
    EXPECT_TRUE(std::is_sorted(reports.begin(), reports.end()));
}

TEST(FaceScanWait, CancelEndsTheWaitAtOnce) {
    CurrentSource source;
    FaceEditor face{source};
    std::atomic<bool> cancel{false};
    std::thread canceller([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        cancel = true;
    });
    auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(waitForFaceScan(face, cancel, 0, 0.5, [](double) {}));
    canceller.join();
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(1));
}

TEST(FaceScanWait, TheScansEndWakesTheWaitAtOnce) {
    CurrentSource source;
    FaceEditor face{source};
    const uint64_t seen = face.scanChanges();
    std::atomic<bool> woke{false};
    auto started = std::chrono::steady_clock::now();
    std::thread waiter([&] {
        face.waitForScanChange(seen, std::chrono::seconds(10));
        woke = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    face.completionMerge({}, MediaTime(2, 1), 1.0 / 30);
    waiter.join();
    EXPECT_TRUE(woke);
    // Woken by the signal, far from the timeout (a change made before the wait counts too).
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
    auto again = std::chrono::steady_clock::now();
    face.waitForScanChange(seen, std::chrono::seconds(10));
    EXPECT_LT(std::chrono::steady_clock::now() - again, std::chrono::seconds(5));
}
