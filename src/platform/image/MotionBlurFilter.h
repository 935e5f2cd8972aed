#pragma once
// Horizontal motion blur: each pixel becomes the mean of the line of pixels within `radius` to
// its left and right (a fractional radius weights the two end pixels). Running sums keep the
// cost flat in the radius. Immutable; any thread.

#include "platform/image/ImageFilter.h"

class MotionBlurFilter : public ImageFilter {
public:
    explicit MotionBlurFilter(double radius) : radius_(radius) {}

protected:
    cv::Mat filterPixels(const cv::Mat& frame, const cv::Rect& area) const override;

private:
    double radius_;
};
