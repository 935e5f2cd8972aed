#pragma once
// The photo effects: fixed colour and tone mappings applied to each pixel on its own, named
// after the look they give. Immutable; any thread.

#include "platform/image/ImageFilter.h"

enum class PhotoEffect { chrome, fade, instant, mono, noir, process, tonal, transfer };

class PhotoEffectFilter : public ImageFilter {
public:
    explicit PhotoEffectFilter(PhotoEffect effect) : effect_(effect) {}

protected:
    cv::Mat filterPixels(const cv::Mat& frame, const cv::Rect& area) const override;

private:
    PhotoEffect effect_;
};
