#pragma once
// The face scan: reads the whole source video once, finds the faces and body poses in its
// frames, groups them into persons and reports one tracked region per person, with a thumbnail
// of the person's face, as the scan goes and at the end.
//
// Decoding, face detection and pose detection with association run as a three-stage
// pipeline on their own threads, and the face stage searches each frame's windows on two
// networks at once, so the scan keeps both cores busy; at background priority, so
// that the preview keeps its pace while the scan runs. Progress is reported a
// few times a second (and the regions grow frame by frame), so the cost follows the video's
// length.
//
// Threads: `scanFaces` and `cancel` are called on the main thread; the pass runs on the
// background queue; every callback is delivered on the main queue. A pass holds nothing of
// the scan, so the scan may go away while a pass is still winding down.

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "faces/FaceScanReach.h"
#include "platform/vision/BodyPoseDetector.h"
#include "platform/vision/FaceRectangleDetector.h"
#include "regions/TrackedRegion.h"

class SourceVideo;

// Longer side, in pixels, of the frames the detectors see: full HD, so that the searches closer
// up see a small face's own pixels, not those of a shrunk copy.
inline constexpr double DETECTION_FRAME_SIDE = 1920;
// Faces are searched in every FACE_SEARCH_STRIDE-th frame; the frames between take the faces
// around them, moved linearly (FaceFrameSettler). Faces in the footage this is made for move
// little in a frame or two, and a search costs several model runs.
inline constexpr size_t FACE_SEARCH_STRIDE = 2;
// Body poses are found in every POSE_STRIDE-th frame: they link a person's faces across a miss,
// and association looks back ASSOCIATION_LOOKBACK frames, so one pose in that many still links.
inline constexpr size_t POSE_STRIDE = 5;
// Seconds between two progress reports at most.
inline constexpr double SCAN_REPORT_INTERVAL = 0.25;

struct FaceScanDetectors {
    std::unique_ptr<FaceRectangleDetector> faces;
    std::unique_ptr<BodyPoseDetector> poses;
};
// Makes one pass's detectors (on the pass's thread), or nothing with a one-line reason.
using FaceScanDetectorFactory = std::function<std::optional<FaceScanDetectors>(std::string& error)>;
// The face search for `reach` and the BlazePose tracker from the model cache.
FaceScanDetectorFactory faceScanDetectors(FaceScanReach reach);

class FaceScan {
public:
    using Progress = std::function<void(double fraction, std::vector<TrackedRegion> regions)>;
    // The final regions and how many frames the pass looked at.
    using Completion = std::function<void(std::vector<TrackedRegion> regions, int framesScanned)>;
    using Failure = std::function<void(const std::string& reason)>;

    explicit FaceScan(
        FaceScanDetectorFactory detectors = faceScanDetectors(FaceScanReach::careful));
    ~FaceScan();

    // Starts a pass over `video` (its facts loaded) and returns at once. `completion` gets the
    // final regions when the whole video was read; `failure` is called instead when the pass
    // cannot start or the video cannot be read to its end, so a waiting caller is never left
    // hanging. A cancelled pass calls neither; progress reports already posted still arrive.
    void scanFaces(std::shared_ptr<const SourceVideo> video, Progress progress,
                   Completion completion, Failure failure = {});
    // Stops the running pass at its next frame.
    void cancel();
    // A pass is reading (set when it starts, cleared on the main queue when its reading ends).
    bool isScanning() const;
    // The detectors of the passes started from now on. Main thread.
    void setDetectors(FaceScanDetectorFactory detectors);

private:
    struct Pass;
    // The running pass (the `reader`), shared with the passes so they can clear it.
    struct Running {
        std::mutex mutex;
        std::shared_ptr<Pass> pass;
    };
    static void run(const std::shared_ptr<Running>& running, const std::shared_ptr<Pass>& pass,
                    const FaceScanDetectorFactory& detectors);

    FaceScanDetectorFactory detectors_;
    std::shared_ptr<Running> running_ = std::make_shared<Running>();
};
