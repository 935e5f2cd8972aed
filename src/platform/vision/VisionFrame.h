#pragma once
// Turning a frame into model input and model coordinates back into region coordinates.
// Any thread; no state.

#include <opencv2/core.hpp>

#include "platform/image/Image.h"

// The frame as 8-bit RGB, rows top-down; empty for anything but 8- or 16-bit RGBA.
cv::Mat rgbFrame(const Image& frame);

// A rectangle in top-down pixels of a w×h frame as a lower-left normalised region rectangle.
Rect regionRect(const cv::Rect2f& topDownPixels, cv::Size frame);
// A point in top-down pixels as a lower-left normalised point.
Point regionPoint(const cv::Point2f& topDownPixels, cv::Size frame);
// A lower-left normalised rectangle in top-down pixels.
cv::Rect2f topDownPixels(const Rect& region, cv::Size frame);

// Uniform scaling of a frame (or a part of it) into a square model input with padding, and
// the way back.
class Letterbox {
public:
    // `source`: the part of the frame to feed, in frame pixels.
    Letterbox(cv::Rect2f source, int side);
    // The model input: `rgb`'s source part scaled to fit side×side, centred on black.
    cv::Mat apply(const cv::Mat& rgb) const;
    // A point in model-normalised coordinates (0…1 over the square) to frame pixels.
    cv::Point2f toFrame(cv::Point2f modelNormalised) const;

private:
    cv::Rect2f source_;
    int side_;
    float scale_;         // model pixels per frame pixel
    cv::Point2f offset_;  // where the source's corner lands in the square
};
