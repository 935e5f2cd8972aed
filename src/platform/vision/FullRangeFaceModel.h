#pragma once
// BlazeFace's full-range model (192×192, one anchor per cell of a 48×48 grid), made for faces
// further from the camera, run on one part of a frame at a time.
//
// Threads: one thread at a time per instance (it owns its network).

#include <memory>
#include <vector>

#include "platform/vision/Loaded.h"
#include "platform/vision/ModelRegistry.h"
#include "platform/vision/SsdAnchors.h"

class XnnpackNetwork;

class FullRangeFaceModel {
public:
    static constexpr int INPUT_SIZE = 192;

    static Loaded<std::unique_ptr<FullRangeFaceModel>> create(const ModelRegistry& models);

    ~FullRangeFaceModel();

    // Faces in `source` (a part of the 8-bit RGB frame `rgb`, letterboxed into the model) scoring
    // at least `minScore`, in top-down frame pixels with their six keypoints; not merged.
    std::vector<SsdDetection> detect(const cv::Mat& rgb, const cv::Rect2f& source, float minScore);

private:
    explicit FullRangeFaceModel(std::unique_ptr<XnnpackNetwork> network);

    std::unique_ptr<XnnpackNetwork> network_;
    std::vector<SsdAnchor> anchors_;
};
