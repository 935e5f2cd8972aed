#include "platform/vision/DetectionDrawing.h"

#include <opencv2/imgproc.hpp>

#include "platform/vision/VisionFrame.h"

Image drawDetections(const Image& frame, const std::vector<FaceObservation>& faces,
                     const std::vector<BodyPoseObservation>& poses) {
    cv::Mat canvas;
    cv::cvtColor(rgbFrame(frame), canvas, cv::COLOR_RGB2RGBA);
    const int thickness = std::max(2, canvas.cols / 300);
    for (const FaceObservation& f : faces)
        cv::rectangle(canvas, cv::Rect(topDownPixels(f.boundingBox, canvas.size())),
                      cv::Scalar(0, 255, 0, 255), thickness);
    auto dot = [&](const std::optional<Point>& p, cv::Scalar colour) {
        if (!p) return;
        cv::Point2f at(float(p->x * canvas.cols), float((1 - p->y) * canvas.rows));
        cv::circle(canvas, at, 3 * thickness, colour, cv::FILLED);
    };
    for (const BodyPoseObservation& pose : poses) {
        dot(pose.nose, cv::Scalar(255, 0, 0, 255));
        dot(pose.neck, cv::Scalar(0, 0, 255, 255));
    }
    return Image(canvas);
}

Image maskPicture(const Image& mask) {
    cv::Mat rgba;
    cv::cvtColor(mask.pixels, rgba, cv::COLOR_GRAY2RGBA);
    return Image(rgba);
}
