#pragma once
// Object tracking with OpenCV's CSRT tracker (discriminative correlation filter with channel
// and spatial reliability; follows scale changes). CSRT has no usable score of its own, so the
// confidence is the normalised cross-correlation between the seed's appearance and the patch
// under the tracked box: near 1 on the object, near 0 once the box sits on something else.
//
// Threads: one instance per tracking pass, used by that pass's thread only.

#include <opencv2/tracking.hpp>

#include "platform/vision/ObjectTracker.h"

class CsrtObjectTracker : public ObjectTracker {
public:
    CsrtObjectTracker();
    std::optional<TrackedObject> track(const Image& frame, const Rect& seed) override;

private:
    // The patch under `box` reduced to the fixed size the correlation compares.
    static cv::Mat appearance(const cv::Mat& gray, const cv::Rect& box);

    cv::Ptr<cv::TrackerCSRT> tracker_;
    cv::Mat seedAppearance_;
    bool seeded_ = false;
};
