#pragma once
// The pose detector: finds people in a whole frame and gives each a PoseRegion for the
// landmark model.
//
// Threads: one thread at a time per instance (it owns its network).

#include <memory>
#include <vector>

#include "platform/vision/Loaded.h"
#include "platform/vision/ModelRegistry.h"
#include "platform/vision/PoseRegion.h"
#include "platform/vision/SsdAnchors.h"
#include "platform/vision/TfliteNetPool.h"

class BlazePosePersonDetector {
public:
    static Loaded<std::unique_ptr<BlazePosePersonDetector>> create(const ModelRegistry& models);
    // `rgb`: 8-bit RGB frame. Best first.
    std::vector<PoseRegion> detect(const cv::Mat& rgb);

private:
    explicit BlazePosePersonDetector(PooledTfliteNet net);

    PooledTfliteNet net_;
    std::vector<SsdAnchor> anchors_;
};
