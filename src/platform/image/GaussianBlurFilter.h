#pragma once
// Gaussian blur of a given standard deviation (pixels). Wide blurs run on a reduced grid
// (DownsampledFilter), which keeps the cost flat and the error against a true Gaussian to about
// one level. Immutable; any thread.

#include "platform/image/ImageFilter.h"

class GaussianBlurFilter : public ImageFilter {
public:
    explicit GaussianBlurFilter(double sigma) : sigma_(sigma) {}

protected:
    cv::Mat filterPixels(const cv::Mat& frame, const cv::Rect& area) const override;

private:
    double sigma_;
};
