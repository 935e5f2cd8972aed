#include "platform/image/PhotoEffectFilter.h"

#include <algorithm>
#include <array>
#include <vector>

#include <opencv2/core.hpp>

#include "platform/image/PixelDepth.h"

namespace {

// A look: saturation about the Rec. 601 grey, per-channel gains, then a tone curve per channel
// that maps black to `black`, white to `white`, with an S-curve of strength `contrast`
// (−0.5...0.5, negative flattens) in between.
struct Look {
    double saturation;
    std::array<double, 3> gain;
    std::array<double, 3> black;
    std::array<double, 3> white;
    double contrast;
};

Look lookOf(PhotoEffect effect) {
    switch (effect) {
        case PhotoEffect::chrome:  // vivid, punchy colour
            return {1.35, {1.0, 1.0, 1.02}, {0, 0, 0.01}, {1, 1, 1}, 0.25};
        case PhotoEffect::fade:  // washed out: less colour, lifted blacks, dimmer whites
            return {0.6, {1, 1, 1}, {0.12, 0.12, 0.13}, {0.93, 0.93, 0.92}, -0.15};
        case PhotoEffect::instant:  // warm, faded print
            return {0.8, {1.03, 1.0, 0.9}, {0.08, 0.06, 0.03}, {1.0, 0.97, 0.86}, 0.05};
        case PhotoEffect::mono:  // plain black and white
            return {0, {1, 1, 1}, {0, 0, 0}, {1, 1, 1}, 0};
        case PhotoEffect::noir:  // hard black and white
            return {0, {1, 1, 1}, {0, 0, 0}, {1, 1, 1}, 0.5};
        case PhotoEffect::process:  // cross-processed: cool shadows, yellow highlights
            return {1.1, {0.98, 1.02, 0.95}, {0.0, 0.05, 0.13}, {1.0, 0.98, 0.8}, 0.2};
        case PhotoEffect::tonal:  // soft black and white
            return {0, {1, 1, 1}, {0.06, 0.06, 0.06}, {0.95, 0.95, 0.95}, -0.2};
        case PhotoEffect::transfer:  // warm vintage
            return {1.1, {1.08, 1.0, 0.82}, {0.04, 0.02, 0.0}, {1.0, 0.97, 0.9}, 0.15};
    }
    return lookOf(PhotoEffect::mono);
}

constexpr int CURVE_STEPS = 4096;

// The look as a 3 × 3 colour matrix on values 0...1 followed by three tone tables.
struct Mapping {
    float matrix[3][3];
    int fixedMatrix[3][3];            // for 8-bit input: curve index · 256 per input level
    std::vector<float> curves[3];     // CURVE_STEPS entries each, output 0...1
    std::vector<uint8_t> curves8[3];  // the same as 8-bit levels
};

Mapping mappingOf(const Look& look) {
    Mapping m;
    const double grey[3] = {0.299, 0.587, 0.114};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) {
            const double v = look.gain[size_t(r)] *
                             ((1 - look.saturation) * grey[c] + (r == c ? look.saturation : 0));
            m.matrix[r][c] = float(v);
            m.fixedMatrix[r][c] = int(std::lround(v * (CURVE_STEPS - 1) * 256 / 255));
        }
    for (int ch = 0; ch < 3; ++ch) {
        m.curves[ch].resize(CURVE_STEPS);
        m.curves8[ch].resize(CURVE_STEPS);
        for (int i = 0; i < CURVE_STEPS; ++i) {
            const double x = double(i) / (CURVE_STEPS - 1);
            const double s = x + 2 * look.contrast * (2 * x - 1) * x * (1 - x);
            const double y =
                look.black[size_t(ch)] + (look.white[size_t(ch)] - look.black[size_t(ch)]) * s;
            m.curves[ch][size_t(i)] = float(y);
            m.curves8[ch][size_t(i)] = cv::saturate_cast<uint8_t>(y * 255);
        }
    }
    return m;
}

// Any pixel: unpremultiply, map, premultiply.
template <class T>
void mapPixel(const T* s, const Mapping& m, T* d) {
    const float alpha = float(s[3]);
    if (alpha == 0) {
        std::fill_n(d, 4, T(0));
        return;
    }
    const float toUnit = 1.f / alpha;
    const float rgb[3] = {s[0] * toUnit, s[1] * toUnit, s[2] * toUnit};
    for (int c = 0; c < 3; ++c) {
        const float v = m.matrix[c][0] * rgb[0] + m.matrix[c][1] * rgb[1] + m.matrix[c][2] * rgb[2];
        const int i = int(std::clamp(v, 0.f, 1.f) * (CURVE_STEPS - 1) + 0.5f);
        d[c] = toChannel<T>(m.curves[c][size_t(i)] * alpha);
    }
    d[3] = s[3];
}

template <class T>
void mapRow(const T* __restrict s, const Mapping& m, T* __restrict d, int count) {
    for (int x = 0; x < count * 4; x += 4) mapPixel(s + x, m, d + x);
}

// Opaque 8-bit pixels, the usual frame, in fixed point.
template <>
void mapRow<uint8_t>(const uint8_t* __restrict s, const Mapping& m, uint8_t* __restrict d,
                     int count) {
    for (int x = 0; x < count * 4; x += 4) {
        if (s[x + 3] != 255) {
            mapPixel(s + x, m, d + x);
            continue;
        }
        for (int c = 0; c < 3; ++c) {
            const int* k = m.fixedMatrix[c];
            const int v = (k[0] * s[x] + k[1] * s[x + 1] + k[2] * s[x + 2] + 128) >> 8;
            d[x + c] = m.curves8[c][size_t(std::clamp(v, 0, CURVE_STEPS - 1))];
        }
        d[x + 3] = 255;
    }
}

template <class T>
void map(const cv::Mat& in, const Mapping& m, cv::Mat& out) {
    cv::parallel_for_(cv::Range(0, in.rows), [&](const cv::Range& range) {
        for (int y = range.start; y < range.end; ++y)
            mapRow<T>(in.ptr<T>(y), m, out.ptr<T>(y), in.cols);
    });
}

}  // namespace

cv::Mat PhotoEffectFilter::filterPixels(const cv::Mat& frame, const cv::Rect& area) const {
    static const std::array<Mapping, 8> mappings = [] {
        std::array<Mapping, 8> all;
        for (int e = 0; e < 8; ++e) all[size_t(e)] = mappingOf(lookOf(PhotoEffect(e)));
        return all;
    }();
    const cv::Mat in = frame(area);
    cv::Mat out(in.size(), in.type());
    const Mapping& mapping = mappings[size_t(effect_)];
    dispatchDepth(in.depth(), [&]<class T>() { map<T>(in, mapping, out); });
    return out;
}
