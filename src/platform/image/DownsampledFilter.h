#pragma once
// Runs a wide filter at reduced resolution so its cost does not grow with its reach: the frame is
// averaged over square cells of `factor` pixels, the low-resolution picture is filtered, and the
// result is interpolated back. The cell grid is anchored at the frame's top-left pixel, so
// filtering any area of the frame gives exactly the pixels filtering the whole frame gives there.
// Any thread; stateless.

#include <functional>

#include <opencv2/core/mat.hpp>

namespace DownsampledFilter {

// Filters `in` (CV_32FC4 cells) into `out` of the same size, edges clamped.
using CellFilter = std::function<void(const cv::Mat& in, cv::Mat& out)>;

// The pixels `area` (clipped to the frame) of `frame` (CV_8UC4 or CV_16UC4) filtered by
// `filter`, which reads at most `cellReach` cells on each side. Bilinear interpolation back
// adds a variance of factor²/6 and the cell averaging (factor² − 1)/12 (pixels²).
cv::Mat apply(const cv::Mat& frame, const cv::Rect& area, int factor, int cellReach,
              const CellFilter& filter);

}  // namespace DownsampledFilter
