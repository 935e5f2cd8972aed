#include "platform/vision/ExposureGain.h"

#include <algorithm>
#include <array>

namespace {

// The brightest share of pixels that is taken to be the frame's highlights: a few specular
// spots or lamps do not count as the frame's light.
constexpr long HIGHLIGHT_PER_MILLE = 1;
constexpr float HIGHLIGHT_TARGET = 230;
constexpr float MAX_GAIN = 4;
// Below this the frame counts as lit; the gain would change little and risk more.
constexpr float MIN_GAIN = 2;
// Every STEP-th pixel of every STEP-th row: the highlights of a full HD frame in 130,000 pixels.
constexpr int STEP = 4;

}  // namespace

float exposureGain(const cv::Mat& rgb) {
    std::array<long, 256> histogram{};
    long count = 0;
    for (int y = 0; y < rgb.rows; y += STEP) {
        const cv::Vec3b* row = rgb.ptr<cv::Vec3b>(y);
        for (int x = 0; x < rgb.cols; x += STEP) {
            ++histogram[std::max({row[x][0], row[x][1], row[x][2]})];
            ++count;
        }
    }
    int highlight = 255;
    for (long above = histogram[255]; highlight > 0 && above * 1000 < count * HIGHLIGHT_PER_MILLE;
         above += histogram[--highlight]) {
    }
    const float gain = std::min(MAX_GAIN, HIGHLIGHT_TARGET / float(std::max(highlight, 1)));
    return gain >= MIN_GAIN ? gain : 1.0f;
}
