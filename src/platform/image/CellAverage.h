#pragma once
// Averages a picture over a grid of rectangular cells given by their boundaries.
// Any thread; stateless.

#include <vector>

#include <opencv2/core/mat.hpp>

// Cell c of an axis covers pixels [bounds[c], bounds[c + 1]). Boundaries may lie beyond the
// frame: the frame counts as clamped there (its edge pixels repeat without limit). Returns a
// CV_32FC4 picture with one pixel per cell holding the mean of `frame` (CV_8UC4 or CV_16UC4) over
// it.
cv::Mat averageCells(const cv::Mat& frame, const std::vector<int>& columnBounds,
                     const std::vector<int>& rowBounds);
