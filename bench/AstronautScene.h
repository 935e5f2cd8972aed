#pragma once
// Benchmark frames with one person in them: the astronaut photograph (fetched from its Debian
// package on first use) pasted on a given background.

#include <cstdlib>
#include <string>

#include <opencv2/imgproc.hpp>

#include "platform/image/Image.h"
#include "platform/image/ImageFile.h"

// `background` (8-bit BGR) with the photograph scaled into `at`, as an RGBA frame. Without the
// photograph (no network), the background alone.
inline Image astronautScene(cv::Mat background, cv::Rect at) {
    const std::string dir = "/tmp/veilcut-bench-pictures";
    const std::string fetch =
        std::string(VEILCUT_SOURCE_DIR) + "/tests/platform/vision/fetch-test-pictures.sh " + dir;
    const auto photo =
        std::system(fetch.c_str()) == 0 ? readImageFile(dir + "/astronaut.png") : std::nullopt;
    if (photo) {
        cv::Mat bgr, small;
        cv::cvtColor(photo->pixels, bgr, cv::COLOR_RGBA2BGR);
        cv::resize(bgr, small, at.size(), 0, 0, cv::INTER_AREA);
        small.copyTo(background(at));
    }
    cv::Mat rgba;
    cv::cvtColor(background, rgba, cv::COLOR_BGR2RGBA);
    return Image(rgba);
}
