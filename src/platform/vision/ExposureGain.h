#pragma once
// How much to brighten an underexposed frame before RetinaFace sees it. Trained on daylit
// pictures, it scores a face in a frame at a third of the light far below the same face lit (a
// bar at night, a dim room), where brightened it finds it again. Frames lit to more than half
// the range are left as they are, so footage shot in good light is seen exactly as it was.

#include <opencv2/core.hpp>

// The gain for an 8-bit RGB frame: 1, or the factor (at most 4) that takes the brightest
// thousandth of its pixels to near the top of the range when they lie below half of it.
float exposureGain(const cv::Mat& rgb);
