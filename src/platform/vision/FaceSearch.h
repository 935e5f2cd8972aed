#pragma once
// Where faces may be in each frame of a sequence, with two models that see faces differently.
//
// BlazeFace's full-range model is cheap and sees a face well from about 12 to 100 of its 192
// pixels, so one look at the whole frame finds only the larger faces; smaller ones are found by
// searching parts of the frame closer up:
//   - the whole frame, every frame;
//   - a sweep of overlapping tiles (a third of the frame's longer side, 3 × 2 over a 16:9
//     frame), a few per frame so that each tile is searched every `sweepFrames` frames;
//   - a crop around every small face found in the previous frame, every frame, so a face
//     the sweep found is followed between its visits.
// BlazeFace scores dim, half-turned, sunglassed and half-covered faces too low to believe.
// RetinaFace (RetinaFaceModel) finds those, at several times the cost, so it looks
//   - at the whole frame once in `retinaFrames` searched frames, and
//   - closer up, at a crop around every face of the previous frame, every frame, so a face
//     only it sees is followed between its whole looks. It scores a face best when it is 80 or
//     more of its pixels tall (a dim face 40 tall scores near nothing, the same face 80 tall
//     0.95), so these crops show faces that tall, not as small as BlazeFace's;
//   - at an underexposed frame brightened (ExposureGain).
// Detections from all windows are merged by weighted non-maximum suppression. Every candidate
// down to `minScore` is returned with its score: which to believe is the caller's choice.
//
// Threads: one thread at a time per instance (it owns its networks and the sequence's state).
// A frame's windows are searched by `workers` threads at once, each with networks of its own,
// for the length of the call.

#include <limits>
#include <memory>
#include <vector>

#include "platform/vision/FaceRectangleDetector.h"
#include "platform/vision/FullRangeFaceModel.h"

class RetinaFaceModel;

class FaceSearch : public FaceRectangleDetector {
public:
    struct Options {
        // Frames in which the whole tile sweep is done once; 1 searches every tile every frame
        // (for stills).
        int sweepFrames = 4;
        // Tiles span this share of the frame's longer side; smaller tiles reach smaller faces.
        float tileShare = 1.0f / 3;
        // Dark faces score 0.3–0.4 in some looks; FaceConfirmation keeps only those that
        // continue a face or precede a sure one.
        float minScore = 0.3f;
        // RetinaFace looks at the whole frame once in this many searched frames (0: never, and
        // no close looks either), scaled to fit `retinaSide`: a face 24 pixels tall in a 1080p
        // frame is then about 19, still above its smallest anchor. Every other search: a dim
        // face it barely sees gets twice the chances to start its track.
        int retinaFrames = 2;
        int retinaSide = 1536;
        // Threads searching a frame's windows at once. One network keeps about one core busy
        // (XNNPACK's own thread pool only spins on models this small), and the windows are
        // independent, so one per core.
        int workers = 2;
    };

    static Loaded<std::unique_ptr<FaceSearch>> create(const ModelRegistry& models, Options options);

    ~FaceSearch() override;

    std::optional<std::vector<FaceObservation>> detectFaceRectangles(const Image& frame) override;

    // Candidates in an 8-bit RGB frame of the sequence, merged, in top-down frame pixels.
    std::vector<SsdDetection> detect(const cv::Mat& rgb);

    // The tiles of the sweep over a frame of `size`, in frame pixels.
    static std::vector<cv::Rect2f> sweepTiles(cv::Size size, float tileShare);
    // How a model looks closer at the faces of the previous frame.
    struct FollowLook {
        float input;         // the side of the model's square input
        float height;        // a followed face is shown about this tall in it...
        float sharedHeight;  // ... or at least this tall in a crop it shares with near faces
        float maxUpscale;    // a crop is never blown up more than this
        float seenWhole;     // faces this tall in the model's look at the whole frame get none
    };
    // BlazeFace follows the faces too small for its look at the whole frame, 16 of its pixels.
    static constexpr FollowLook BLAZE_FOLLOW{
        .input = float(FullRangeFaceModel::INPUT_SIZE),
        .height = 40,
        .sharedHeight = 20,
        .maxUpscale = 2,
        .seenWhole = 16,
    };
    // RetinaFace follows every face, shown about 85 of its pixels tall: the crop is then the
    // face with its height to spare on every side, as for BlazeFace.
    static constexpr FollowLook RETINA_FOLLOW{
        .input = 256,
        .height = 85,
        .sharedHeight = 64,
        .maxUpscale = 2,
        .seenWhole = std::numeric_limits<float>::infinity(),
    };
    // Crops that show each face of `faces` (frame pixels) as `look` says.
    static std::vector<cv::Rect2f> followCrops(const std::vector<cv::Rect2f>& faces, cv::Size size,
                                               const FollowLook& look);

private:
    FaceSearch(ModelRegistry models, std::vector<std::unique_ptr<FullRangeFaceModel>> networks,
               std::unique_ptr<RetinaFaceModel> retina,
               std::vector<std::unique_ptr<RetinaFaceModel>> closeLooks, Options options);
    // Rebuilds RetinaFace's network when frames of `frame` size need another input size.
    void fitRetinaTo(cv::Size frame);

    ModelRegistry registry_;
    std::vector<std::unique_ptr<FullRangeFaceModel>> models_;  // one per worker
    std::unique_ptr<RetinaFaceModel> retina_;
    std::vector<std::unique_ptr<RetinaFaceModel>> closeLooks_;  // one per worker
    Options options_;
    std::vector<cv::Rect2f> previous_;  // the previous frame's candidates
    size_t nextTile_ = 0;
    size_t framesSearched_ = 0;
};
