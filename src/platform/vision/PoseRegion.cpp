#include "platform/vision/PoseRegion.h"

#include <cmath>
#include <numbers>

#include <opencv2/imgproc.hpp>

PoseRegion PoseRegion::fromAlignment(cv::Point2f hip, cv::Point2f sizePoint) {
    cv::Point2f d = sizePoint - hip;
    PoseRegion r;
    r.center = hip;
    r.side = 2 * std::hypot(d.x, d.y) * 1.25f;
    // The size point lies straight above the hips of an upright person.
    float angle = std::numbers::pi_v<float> / 2 - std::atan2(-d.y, d.x);
    r.rotation = angle - 2 * std::numbers::pi_v<float> *
                             std::floor((angle + std::numbers::pi_v<float>) /
                                        (2 * std::numbers::pi_v<float>));
    return r;
}

cv::Matx23f PoseRegion::toModel(int modelSide) const {
    // Rotate the frame by −rotation about the centre, then scale the region to the model.
    float s = float(modelSide) / side;
    float c = std::cos(rotation) * s, n = std::sin(rotation) * s;
    // p' = R(−θ)·(p − center)·s + side/2
    return {c,  n, -c * center.x - n * center.y + float(modelSide) / 2,
            -n, c, n * center.x - c * center.y + float(modelSide) / 2};
}
