#include "platform/media/PqToHlg.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr double HLG_PEAK_NITS = 1000.0;
// Fine enough that the steep start of the HLG curve keeps every 10-bit step.
constexpr int LUT_STEPS = 65535;

// PQ signal (0...1) to display light relative to the HLG peak.
double pqToRelativeLight(double signal) {
    constexpr double m1 = 2610.0 / 16384, m2 = 2523.0 / 4096 * 128;
    constexpr double c1 = 3424.0 / 4096, c2 = 2413.0 / 4096 * 32, c3 = 2392.0 / 4096 * 32;
    double p = std::pow(std::max(signal, 0.0), 1 / m2);
    double nits = 10000 * std::pow(std::max(p - c1, 0.0) / (c2 - c3 * p), 1 / m1);
    return std::min(nits / HLG_PEAK_NITS, 1.0);
}

double hlgSignal(double sceneLight) {
    constexpr double a = 0.17883277, b = 0.28466892, c = 0.55991073;
    double e = std::clamp(sceneLight, 0.0, 1.0);
    return e <= 1.0 / 12 ? std::sqrt(3 * e) : a * std::log(12 * e - b) + c;
}

struct Tables {
    std::vector<float> light = std::vector<float>(65536);                 // 16-bit PQ code -> light
    std::vector<float> gain = std::vector<float>(LUT_STEPS + 1);          // luminance -> Y^(-1/6)
    std::vector<uint16_t> signal = std::vector<uint16_t>(LUT_STEPS + 1);  // scene -> HLG code

    Tables() {
        for (int i = 0; i < 65536; ++i) light[i] = float(pqToRelativeLight(i / 65535.0));
        for (int i = 0; i <= LUT_STEPS; ++i) {
            double y = double(i) / LUT_STEPS;
            gain[i] = i == 0 ? 0.f : float(std::pow(y, -1.0 / 6));
            signal[i] = uint16_t(std::lround(hlgSignal(y) * 65535));
        }
    }
};

const Tables& tables() {
    static const Tables t;
    return t;
}

}  // namespace

void convertPqToHlg(cv::Mat& rgba16) {
    const Tables& t = tables();
    for (int row = 0; row < rgba16.rows; ++row) {
        auto* px = rgba16.ptr<uint16_t>(row);
        for (int col = 0; col < rgba16.cols; ++col, px += 4) {
            float r = t.light[px[0]], g = t.light[px[1]], b = t.light[px[2]];
            float y = 0.2627f * r + 0.6780f * g + 0.0593f * b;
            float k = t.gain[std::min(int(y * LUT_STEPS + 0.5f), LUT_STEPS)];
            for (int ch = 0; ch < 3; ++ch) {
                float scene = std::min(t.light[px[ch]] * k, 1.0f);
                px[ch] = t.signal[int(scene * LUT_STEPS + 0.5f)];
            }
        }
    }
}
