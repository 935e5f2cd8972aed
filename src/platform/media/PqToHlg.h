#pragma once
// Re-encodes a PQ picture as HLG (BT.2100), so a PQ source can be written with HLG tags:
// PQ signal -> display light -> scene light for a 1000 cd/m² HLG display (the inverse of the
// HLG system gamma 1.2, driven by luminance) -> HLG signal. Light above 1000 cd/m² is clipped.
// Any thread.

#include <opencv2/core/mat.hpp>

// `rgba16`: CV_16UC4, BT.2020 primaries; converted in place, alpha kept.
void convertPqToHlg(cv::Mat& rgba16);
