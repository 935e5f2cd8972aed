#pragma once
// Pixellation: square cells of `scale` pixels, centred on the frame, each filled with the mean of
// the frame's pixels inside it. Immutable; any thread.

#include "platform/image/ImageFilter.h"

class PixellateFilter : public ImageFilter {
public:
    explicit PixellateFilter(double scale) : scale_(scale) {}

protected:
    cv::Mat filterPixels(const cv::Mat& frame, const cv::Rect& area) const override;

private:
    double scale_;
};
