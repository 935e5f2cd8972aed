#pragma once
// Face rectangles from BlazeFace (the "back" 256×256 model, which also finds small faces) run by
// OpenCV DNN. The whole frame is letterboxed into the model; with `smallFaceTiles` overlapping
// tiles of the frame are searched as well, which finds faces down to about 24 pixels in a
// 768-pixel frame at several times the cost.
//
// Threads: one thread at a time per instance (it owns its network).

#include <memory>
#include <vector>

#include <opencv2/dnn.hpp>

#include "platform/vision/FaceRectangleDetector.h"
#include "platform/vision/Loaded.h"
#include "platform/vision/ModelRegistry.h"
#include "platform/vision/SsdAnchors.h"

class BlazeFaceDetector : public FaceRectangleDetector {
public:
    struct Options {
        bool smallFaceTiles = false;
        // The back model scores smooth face-free scenes up to about 0.7; real faces, even small
        // ones, score higher.
        float minConfidence = 0.75f;
    };

    static Loaded<std::unique_ptr<BlazeFaceDetector>> create(const ModelRegistry& models,
                                                             Options options);

    std::optional<std::vector<FaceObservation>> detectFaceRectangles(const Image& frame) override;

    // Faces in top-down frame pixels with their six keypoints (eyes, nose, mouth, ears), best
    // first. Empty when `rgb` (8-bit RGB) has no face.
    std::vector<SsdDetection> detect(const cv::Mat& rgb);

private:
    BlazeFaceDetector(cv::dnn::Net net, Options options);
    // Detections in one part of the frame, in frame pixels.
    std::vector<SsdDetection> detectIn(const cv::Mat& rgb, const cv::Rect2f& source);
    std::vector<cv::Rect2f> tiles(cv::Size frame) const;

    cv::dnn::Net net_;
    Options options_;
    std::vector<SsdAnchor> anchors_;
    std::vector<std::string> outputNames_;
};
