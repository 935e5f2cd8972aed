#pragma once
// Linear interpolation in two passes: across (each source row that is read, widened to the
// output's columns), then down (each output row mixed from two widened rows). For a picture
// that is only scaled and moved this is bilinear interpolation, at a fraction of the cost of a
// general warp. Any thread; stateless.

#include <vector>

#include <opencv2/core/mat.hpp>

// One output column (or row) between two source columns (rows): first + weight · (second − first).
struct ResampleTap {
    int first, second;
    float weight;
};

// out(y, x) = source interpolated by rows[y] and columns[x], channel by channel, rounded and
// clamped to `depth` (CV_8U or CV_16U). `source` is CV_8U, CV_16U or CV_32F, with 1 or 4
// channels; the taps must lie inside it.
cv::Mat resampleSeparable(const cv::Mat& source, const std::vector<ResampleTap>& columns,
                          const std::vector<ResampleTap>& rows, int depth);
