#include "platform/media/AreaToYuv.h"

#include <cmath>

namespace {

// BT.709 coefficients scaled to limited range (219 steps of luma, 224 of chroma, over 255)
// in 16-bit fixed point.
constexpr int SHIFT = 16;
constexpr int fixed(double value) {
    return int(value * (1 << SHIFT) + (value >= 0 ? 0.5 : -0.5));
}
constexpr double KR = 0.2126, KB = 0.0722, KG = 1 - KR - KB;
constexpr double LUMA = 219.0 / 255, CHROMA = 224.0 / 255;
constexpr int YR = fixed(KR * LUMA), YG = fixed(KG * LUMA), YB = fixed(KB * LUMA);
constexpr int UR = fixed(-KR / (2 * (1 - KB)) * CHROMA), UG = fixed(-KG / (2 * (1 - KB)) * CHROMA),
              UB = fixed(0.5 * CHROMA);
constexpr int VR = fixed(0.5 * CHROMA), VG = fixed(-KG / (2 * (1 - KR)) * CHROMA),
              VB = fixed(-KB / (2 * (1 - KR)) * CHROMA);
constexpr int HALF = 1 << (SHIFT - 1);

uint8_t clampToByte(int value) {
    return uint8_t(value < 0 ? 0 : value > 255 ? 255 : value);
}

}  // namespace

void rgbaAreaToYuv420(const cv::Mat& rgba, const cv::Rect& area, const YuvPlanes& planes) {
    CV_Assert(rgba.type() == CV_8UC4);
    // Even edges: round the start down and the end up.
    const int x0 = std::max(0, area.x & ~1), y0 = std::max(0, area.y & ~1);
    const int x1 = std::min(rgba.cols & ~1, (area.x + area.width + 1) & ~1);
    const int y1 = std::min(rgba.rows & ~1, (area.y + area.height + 1) & ~1);
    for (int y = y0; y < y1; y += 2) {
        const uint8_t* top = rgba.ptr<uint8_t>(y);
        const uint8_t* bottom = rgba.ptr<uint8_t>(y + 1);
        uint8_t* lumaTop = planes.y + ptrdiff_t(y) * planes.yStride;
        uint8_t* lumaBottom = lumaTop + planes.yStride;
        uint8_t* u = planes.u + ptrdiff_t(y / 2) * planes.uStride;
        uint8_t* v = planes.v + ptrdiff_t(y / 2) * planes.vStride;
        for (int x = x0; x < x1; ++x) {
            const uint8_t* a = top + 4 * x;
            const uint8_t* b = bottom + 4 * x;
            lumaTop[x] = uint8_t(16 + ((YR * a[0] + YG * a[1] + YB * a[2] + HALF) >> SHIFT));
            lumaBottom[x] = uint8_t(16 + ((YR * b[0] + YG * b[1] + YB * b[2] + HALF) >> SHIFT));
        }
        for (int x = x0; x < x1; x += 2) {
            const uint8_t* a = top + 4 * x;
            const uint8_t* b = bottom + 4 * x;
            const int r = a[0] + a[4] + b[0] + b[4];
            const int g = a[1] + a[5] + b[1] + b[5];
            const int bl = a[2] + a[6] + b[2] + b[6];
            // Sums of four: two more bits to drop.
            const int round = 1 << (SHIFT + 1);
            u[x / 2] = clampToByte(128 + ((UR * r + UG * g + UB * bl + round) >> (SHIFT + 2)));
            v[x / 2] = clampToByte(128 + ((VR * r + VG * g + VB * bl + round) >> (SHIFT + 2)));
        }
    }
}
