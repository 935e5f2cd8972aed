#include "platform/vision/VisionFrame.h"

#include <opencv2/imgproc.hpp>

cv::Mat rgbFrame(const Image& frame) {
    const cv::Mat& px = frame.pixels;
    if (px.empty() || px.channels() != 4) return {};
    cv::Mat eight;
    if (px.depth() == CV_8U)
        eight = px;
    else if (px.depth() == CV_16U)
        px.convertTo(eight, CV_8U, 1.0 / 257);
    else
        return {};
    cv::Mat rgb;
    cv::cvtColor(eight, rgb, cv::COLOR_RGBA2RGB);
    return rgb;
}

Rect regionRect(const cv::Rect2f& r, cv::Size frame) {
    double w = frame.width, h = frame.height;
    return {r.x / w, 1 - (r.y + r.height) / h, r.width / w, r.height / h};
}

Point regionPoint(const cv::Point2f& p, cv::Size frame) {
    return {p.x / double(frame.width), 1 - p.y / double(frame.height)};
}

cv::Rect2f topDownPixels(const Rect& region, cv::Size frame) {
    double w = frame.width, h = frame.height;
    return {float(region.x * w), float((1 - region.y - region.height) * h), float(region.width * w),
            float(region.height * h)};
}

Letterbox::Letterbox(cv::Rect2f source, int side)
    : source_(source),
      side_(side),
      scale_(float(side) / std::max(source.width, source.height)),
      offset_((side - source.width * scale_) / 2, (side - source.height * scale_) / 2) {}

cv::Mat Letterbox::apply(const cv::Mat& rgb) const {
    // What the warp reads: the frame, or, when shrinking by more than half (where a bilinear
    // warp skips pixels and aliases what is left), its part averaged over k × k blocks, k the
    // largest whole factor that leaves the warp something to shrink (OpenCV averages whole
    // blocks several times faster than by any other factor). Pixel i of it has its centre at
    // frame pixel origin + i * k.
    cv::Mat from = rgb;
    cv::Point2f origin(0, 0);
    float step = 1;
    const int k = int(1 / scale_);
    cv::Rect part = cv::Rect(source_) & cv::Rect(0, 0, rgb.cols, rgb.rows);
    part.width -= part.width % std::max(k, 1);
    part.height -= part.height % std::max(k, 1);
    if (k >= 2 && !part.empty()) {
        cv::resize(rgb(part), from, cv::Size(part.width / k, part.height / k), 0, 0,
                   cv::INTER_AREA);
        step = float(k);
        origin = cv::Point2f(part.tl()) + cv::Point2f(1, 1) * ((step - 1) / 2);
    }
    // One affine warp crops, scales and pads at once; outside the frame stays black.
    cv::Matx23f m(step * scale_, 0, offset_.x + (origin.x - source_.x) * scale_, 0, step * scale_,
                  offset_.y + (origin.y - source_.y) * scale_);
    cv::Mat out;
    cv::warpAffine(from, out, m, cv::Size(side_, side_), cv::INTER_LINEAR, cv::BORDER_CONSTANT,
                   cv::Scalar::all(0));
    return out;
}

cv::Point2f Letterbox::toFrame(cv::Point2f p) const {
    return {source_.x + (p.x * side_ - offset_.x) / scale_,
            source_.y + (p.y * side_ - offset_.y) / scale_};
}
