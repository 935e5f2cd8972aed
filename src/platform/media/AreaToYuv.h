#pragma once
// Writes one area of an opaque 8-bit RGBA picture into 8-bit 4:2:0 planes as limited-range
// BT.709, leaving every sample outside the area as it was. The export uses it when the filter
// chain changed only a few regions of a frame: the decoder's own picture is kept and only the
// regions are converted back, instead of the whole frame.
//
// Pure function; any thread.

#include <cstdint>

#include <opencv2/core/mat.hpp>

struct YuvPlanes {
    uint8_t* y;
    int yStride;
    uint8_t* u;
    int uStride;
    uint8_t* v;
    int vStride;
};

// `area` (top-down pixel rows and columns of `rgba`, a CV_8UC4 picture of the planes' size) is
// first widened to even edges, as 4:2:0 chroma covers 2 × 2 pixels, and cut to the picture.
// Chroma is the mean of each 2 × 2 block.
void rgbaAreaToYuv420(const cv::Mat& rgba, const cv::Rect& area, const YuvPlanes& planes);
