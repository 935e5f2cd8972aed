#pragma once
// Crystallize: Voronoi cells around seeds jittered inside a square grid of `radius` pixels
// anchored at the frame's top-left corner; every pixel takes the colour under its nearest seed.
// The jitter comes from a hash of the grid cell, so the pattern is the same on every frame.
// Immutable; any thread.

#include "platform/image/ImageFilter.h"

class CrystallizeFilter : public ImageFilter {
public:
    explicit CrystallizeFilter(double radius) : radius_(radius) {}

protected:
    cv::Mat filterPixels(const cv::Mat& frame, const cv::Rect& area) const override;

private:
    double radius_;
};
