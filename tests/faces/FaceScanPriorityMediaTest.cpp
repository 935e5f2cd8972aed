#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>

#include "core/SourceVideo.h"
#include "faces/FaceScan.h"
#include "platform/dispatch/MainQueue.h"
#include "support/TestMedia.h"

namespace {

// The nice value of the calling thread.
int threadNiceness() {
    return getpriority(PRIO_PROCESS, static_cast<id_t>(gettid()));
}

// Detectors that find nothing and note the priority of the threads that call them.
struct NotingFaces : FaceRectangleDetector {
    explicit NotingFaces(std::atomic<int>& least) : least(least) {}
    std::optional<std::vector<FaceObservation>> detectFaceRectangles(const Image&) override {
        least = std::min(least.load(), threadNiceness());
        return std::vector<FaceObservation>{};
    }
    std::atomic<int>& least;
};
struct NotingPoses : BodyPoseDetector {
    explicit NotingPoses(std::atomic<int>& least) : least(least) {}
    std::optional<std::vector<BodyPoseObservation>> detectBodyPoses(const Image&) override {
        least = std::min(least.load(), threadNiceness());
        return std::vector<BodyPoseObservation>{};
    }
    void reset() override {}
    std::atomic<int>& least;
};

}  // namespace

TEST(FaceScanPriority, EveryStageRunsBelowThePriorityOfTheRestOfTheProgram) {
    std::atomic<int> faceStage{100}, poseStage{100};
    FaceScan scan([&](std::string&) {
        return std::optional<FaceScanDetectors>(FaceScanDetectors{
            std::make_unique<NotingFaces>(faceStage), std::make_unique<NotingPoses>(poseStage)});
    });
    auto video = std::make_shared<SourceVideo>(testMediaPath("noaudio.mp4"));
    video->waitUntilLoaded();
    bool ended = false;
    scan.scanFaces(
        video, {}, [&](auto, int) { ended = true; }, [&](auto) { ended = true; });
    ASSERT_TRUE(MainQueue::shared().runUntil([&] { return ended; }, std::chrono::seconds(30)));
    // Ten steps below the program, wherever it was started.
    EXPECT_EQ(faceStage.load(), std::min(threadNiceness() + 10, 19));
    EXPECT_EQ(poseStage.load(), std::min(threadNiceness() + 10, 19));
    // The rest of the program keeps its own.
    EXPECT_EQ(threadNiceness(), getpriority(PRIO_PROCESS, 0));
}
