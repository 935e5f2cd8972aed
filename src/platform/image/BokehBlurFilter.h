#pragma once
// Bokeh: a disc-shaped blur of `radius` pixels whose outer ring (the outer `ringSize` of the
// radius) weighs 1 + `ringAmount` times the inside, so bright points spread into rings. Runs on
// a reduced grid (DownsampledFilter) so the cost stays flat in the radius. Immutable; any thread.

#include "platform/image/ImageFilter.h"

class BokehBlurFilter : public ImageFilter {
public:
    BokehBlurFilter(double radius, double ringAmount, double ringSize, double softness)
        : radius_(radius), ringAmount_(ringAmount), ringSize_(ringSize), softness_(softness) {}

protected:
    cv::Mat filterPixels(const cv::Mat& frame, const cv::Rect& area) const override;

private:
    double radius_, ringAmount_, ringSize_, softness_;
};
