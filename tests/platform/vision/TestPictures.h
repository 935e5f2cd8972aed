#pragma once
// Public-domain photographs for the vision tests, unpacked from Debian packages into the build
// tree on first use (fetch-test-pictures.sh), and the model cache.

#include <cstdlib>
#include <string>

#include <opencv2/imgproc.hpp>

#include "platform/image/Image.h"
#include "platform/image/ImageFile.h"
#include "platform/vision/ModelRegistry.h"

inline std::string testPicturePath(const std::string& name) {
    static const std::string dir = [] {
        std::string d = std::string(VEILCUT_TEST_MEDIA) + "/pictures";
        std::string command =
            std::string(VEILCUT_SOURCE_DIR) + "/tests/platform/vision/fetch-test-pictures.sh " + d;
        if (std::system(command.c_str()) != 0) return std::string();
        return d;
    }();
    return dir + "/" + name;
}

// The photograph as 8-bit RGB rows; empty when it could not be fetched.
inline cv::Mat testPictureRgb(const std::string& name) {
    const auto picture = readImageFile(testPicturePath(name));  // the photographs are opaque
    if (!picture) return cv::Mat();
    cv::Mat rgb;
    cv::cvtColor(picture->pixels, rgb, cv::COLOR_RGBA2RGB);
    return rgb;
}

// An 8-bit RGB picture as the frames the services receive.
inline Image rgbaImage(const cv::Mat& rgb) {
    cv::Mat rgba;
    cv::cvtColor(rgb, rgba, cv::COLOR_RGB2RGBA);
    return Image(rgba);
}

inline ModelRegistry testModels() {
    return ModelRegistry::fromEnvironment();
}
