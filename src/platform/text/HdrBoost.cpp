#include "platform/text/HdrBoost.h"

#include <array>
#include <cmath>
#include <opencv2/core.hpp>

namespace {

constexpr double SDR_WHITE_NITS = 203;  // BT.2408 reference white
constexpr double HLG_PEAK_NITS = 1000;  // nominal display peak of HLG
constexpr double HLG_SYSTEM_GAMMA = 1.2;

double srgbToLinear(double v) {
    return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}

// BT.2100 HLG OETF: scene-linear light (0…1) to signal (0…1).
double hlgOetf(double e) {
    constexpr double a = 0.17883277, b = 0.28466892, c = 0.55991073;
    return e <= 1.0 / 12 ? std::sqrt(3 * e) : a * std::log(12 * e - b) + c;
}

// Display-referred linear BT.2020 RGB (relative to the peak) to HLG signal: the inverse of
// the HLG OOTF (on luminance, so hues keep), then the OETF.
cv::Vec3d displayLinearToHlg(cv::Vec3d rgb) {
    const double luminance = 0.2627 * rgb[0] + 0.6780 * rgb[1] + 0.0593 * rgb[2];
    if (luminance <= 0) return {0, 0, 0};
    const double toScene = std::pow(luminance, (1 - HLG_SYSTEM_GAMMA) / HLG_SYSTEM_GAMMA);
    cv::Vec3d signal;
    for (int c = 0; c < 3; ++c) signal[c] = hlgOetf(std::clamp(rgb[c] * toScene, 0.0, 1.0));
    return signal;
}

// BT.709 (sRGB) primaries to BT.2020, on linear light (BT.2087).
constexpr double BT709_TO_BT2020[3][3] = {
    {0.6274, 0.3293, 0.0433}, {0.0691, 0.9195, 0.0114}, {0.0164, 0.0880, 0.8956}};

}  // namespace

std::optional<Image> hdrBoost(const Image& image, double gain) {
    if (image.pixels.type() != CV_8UC4 || !(gain > 0) || !std::isfinite(gain)) return std::nullopt;

    // Linear light of every 8-bit value, already scaled from SDR white to the HLG peak.
    std::array<double, 256> linear{};
    for (int v = 0; v < 256; ++v) {
        linear[v] = srgbToLinear(v / 255.0) * gain * SDR_WHITE_NITS / HLG_PEAK_NITS;
    }

    cv::Mat boosted(image.pixels.size(), CV_16UC4);
    image.pixels.forEach<cv::Vec4b>([&](const cv::Vec4b& in, const int* at) {
        cv::Vec4w& out = boosted.at<cv::Vec4w>(at[0], at[1]);
        const int alpha = in[3];
        out[3] = ushort(alpha * 257);
        if (alpha == 0) {
            out[0] = out[1] = out[2] = 0;
            return;
        }
        cv::Vec3d bt709;
        for (int c = 0; c < 3; ++c)
            bt709[c] = linear[std::min(255, (in[c] * 255 + alpha / 2) / alpha)];
        cv::Vec3d bt2020;
        for (int r = 0; r < 3; ++r) {
            bt2020[r] = BT709_TO_BT2020[r][0] * bt709[0] + BT709_TO_BT2020[r][1] * bt709[1] +
                        BT709_TO_BT2020[r][2] * bt709[2];
        }
        const cv::Vec3d signal = displayLinearToHlg(bt2020);
        for (int c = 0; c < 3; ++c) out[c] = ushort(std::lround(signal[c] * alpha * 257));
    });

    Image result(boosted, image.extent);
    result.properties = {.hlgColorSpace = true, .hdrGainMap = true, .maximumPixelValue = gain + 1};
    return result;
}
