#pragma once
// Helpers for code written once for both pixel depths (uint8_t for SDR, uint16_t for HDR).
// Any thread; pure functions.

#include <cstdint>
#include <limits>

#include <opencv2/core/mat.hpp>

template <class T>
constexpr int fullScale() {
    return std::numeric_limits<T>::max();
}

// Rounds and clamps a float to the channel type.
template <class T>
inline T toChannel(float v) {
    return cv::saturate_cast<T>(v);
}

// Calls body.template operator()<T>() with T the channel type of `depth` (CV_8U or CV_16U).
template <class Body>
inline void dispatchDepth(int depth, Body&& body) {
    if (depth == CV_16U)
        body.template operator()<uint16_t>();
    else
        body.template operator()<uint8_t>();
}
