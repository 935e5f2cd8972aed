#pragma once
// Body poses of several people through a sequence of frames. Each followed person's region
// comes from the landmarks of the previous frame; the person detector runs only on the first
// frame, when a followed person is lost, and every `redetectInterval` frames so that people who
// walk in are found even while nobody is lost.
//
// Threads: one thread at a time per instance (it owns networks and the followed people).

#include <memory>

#include "platform/vision/BlazePoseLandmarker.h"
#include "platform/vision/BlazePosePersonDetector.h"
#include "platform/vision/BodyPoseDetector.h"

class BlazePoseTracker : public BodyPoseDetector {
public:
    static constexpr int REDETECT_INTERVAL = 30;

    static Loaded<std::unique_ptr<BlazePoseTracker>> create(const ModelRegistry& models);

    std::optional<std::vector<BodyPoseObservation>> detectBodyPoses(const Image& frame) override;
    void reset() override;

    // Landmarks of everyone found in an 8-bit RGB frame of the sequence.
    std::vector<PoseLandmarks> track(const cv::Mat& rgb);
    // How often the person detector has run (for tests and benchmarks).
    int detectorRuns() const { return detectorRuns_; }

private:
    BlazePoseTracker(std::unique_ptr<BlazePosePersonDetector> detector,
                     std::unique_ptr<BlazePoseLandmarker> landmarker);

    std::unique_ptr<BlazePosePersonDetector> detector_;
    std::unique_ptr<BlazePoseLandmarker> landmarker_;
    std::vector<PoseRegion> followed_;
    int framesSinceDetection_ = 0;
    bool lostSomeone_ = true;
    int detectorRuns_ = 0;
};
