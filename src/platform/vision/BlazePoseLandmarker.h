#pragma once
// The pose landmark model ("lite") on one person's region: 33 body landmarks plus the two
// alignment points that place the person's region in the next frame.
//
// Threads: one thread at a time per instance (it owns its network).

#include <array>
#include <memory>
#include <optional>

#include "platform/vision/Loaded.h"
#include "platform/vision/ModelRegistry.h"
#include "platform/vision/PoseRegion.h"
#include "platform/vision/TfliteNetPool.h"

struct PoseLandmarks {
    static constexpr int COUNT = 33;
    std::array<cv::Point2f, COUNT> points;  // top-down frame pixels
    std::array<float, COUNT> visibility;    // 0…1
    float presence = 0;                     // 0…1: is there a person in the region at all
    PoseRegion nextRegion;
};

class BlazePoseLandmarker {
public:
    static Loaded<std::unique_ptr<BlazePoseLandmarker>> create(const ModelRegistry& models);
    // `rgb`: the whole frame, 8-bit RGB.
    PoseLandmarks landmarks(const cv::Mat& rgb, const PoseRegion& region);

private:
    explicit BlazePoseLandmarker(PooledTfliteNet net) : net_(std::move(net)) {}

    PooledTfliteNet net_;
};
