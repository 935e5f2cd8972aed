#include "platform/image/ImageFile.h"

#include <fstream>

#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

std::optional<Image> readImageFile(const std::string& path) {
    if (!std::ifstream(path).good()) return std::nullopt;  // spares OpenCV's warning line
    cv::Mat bgra;
    try {
        bgra = cv::imread(path, cv::IMREAD_UNCHANGED);
    } catch (const cv::Exception&) {
        return std::nullopt;
    }
    if (bgra.empty() || (bgra.depth() != CV_8U && bgra.depth() != CV_16U)) return std::nullopt;
    cv::Mat rgba;
    switch (bgra.channels()) {
        case 1:
            cv::cvtColor(bgra, rgba, cv::COLOR_GRAY2RGBA);
            break;
        case 3:
            cv::cvtColor(bgra, rgba, cv::COLOR_BGR2RGBA);
            break;
        case 4:
            cv::cvtColor(bgra, rgba, cv::COLOR_BGRA2RGBA);
            // Files hold straight colour; pictures here are premultiplied.
            if (rgba.depth() == CV_8U)
                cv::cvtColor(rgba, rgba, cv::COLOR_RGBA2mRGBA);
            else
                rgba.forEach<cv::Vec4w>([](cv::Vec4w& p, const int*) {
                    for (int c = 0; c < 3; ++c)
                        p[c] = cv::saturate_cast<uint16_t>(p[c] * (p[3] / 65535.0));
                });
            break;
        default:
            return std::nullopt;
    }
    return Image(rgba);
}

bool writeImageFile(const Image& image, const std::string& path) {
    if (image.empty()) return false;
    cv::Mat straight = image.pixels.clone();
    if (straight.depth() == CV_8U) {
        cv::cvtColor(straight, straight, cv::COLOR_mRGBA2RGBA);
    } else {
        straight.forEach<cv::Vec4w>([](cv::Vec4w& p, const int*) {
            if (p[3] == 0) return;
            for (int c = 0; c < 3; ++c) p[c] = cv::saturate_cast<uint16_t>(p[c] * (65535.0 / p[3]));
        });
    }
    cv::cvtColor(straight, straight, cv::COLOR_RGBA2BGRA);
    try {
        return cv::imwrite(path, straight);
    } catch (const cv::Exception&) {
        return false;
    }
}
