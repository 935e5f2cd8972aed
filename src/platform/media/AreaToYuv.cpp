#include "platform/media/AreaToYuv.h"

#include <algorithm>

#include <opencv2/core/hal/intrin.hpp>

namespace {

// BT.709 coefficients scaled to limited range (219 steps of luma, 224 of chroma, over 255)
// in fixed point, 15 bits so that each fits a 16-bit lane of the vector multiply-adds.
constexpr int SHIFT = 15;
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
// Chroma comes from sums of four pixels: two more bits to drop.
constexpr int CHROMA_SHIFT = SHIFT + 2;
constexpr int CHROMA_HALF = 1 << (CHROMA_SHIFT - 1);

uint8_t clampToByte(int value) {
    return uint8_t(value < 0 ? 0 : value > 255 ? 255 : value);
}

uint8_t lumaOf(const uint8_t* p) {
    return uint8_t(16 + ((YR * p[0] + YG * p[1] + YB * p[2] + HALF) >> SHIFT));
}

// The plain conversion of the pixels [x0, x1) of two rows; x0 and x1 even.
void convertPairOfRows(const uint8_t* top, const uint8_t* bottom, int x0, int x1, uint8_t* lumaTop,
                       uint8_t* lumaBottom, uint8_t* u, uint8_t* v) {
    for (int x = x0; x < x1; x += 2) {
        const uint8_t* a = top + 4 * x;
        const uint8_t* b = bottom + 4 * x;
        lumaTop[x] = lumaOf(a);
        lumaTop[x + 1] = lumaOf(a + 4);
        lumaBottom[x] = lumaOf(b);
        lumaBottom[x + 1] = lumaOf(b + 4);
        const int r = a[0] + a[4] + b[0] + b[4];
        const int g = a[1] + a[5] + b[1] + b[5];
        const int bl = a[2] + a[6] + b[2] + b[6];
        u[x / 2] = clampToByte(128 + ((UR * r + UG * g + UB * bl + CHROMA_HALF) >> CHROMA_SHIFT));
        v[x / 2] = clampToByte(128 + ((VR * r + VG * g + VB * bl + CHROMA_HALF) >> CHROMA_SHIFT));
    }
}

// The same, sixteen pixels at a time with vectors: the compiler does not vectorise the plain
// loop over interleaved channels. Each weighted sum is two multiply-adds of 16-bit pairs.
class VectorConverter {
public:
    void convert(const uint8_t* top, const uint8_t* bottom, uint8_t* lumaTop, uint8_t* lumaBottom,
                 uint8_t* u, uint8_t* v) const {
        cv::v_uint8x16 r0, g0, b0, a0, r1, g1, b1, a1;
        cv::v_load_deinterleave(top, r0, g0, b0, a0);
        cv::v_load_deinterleave(bottom, r1, g1, b1, a1);
        luma(r0, g0, b0, lumaTop);
        luma(r1, g1, b1, lumaBottom);
        const U16 r = blockSums(r0, r1), g = blockSums(g0, g1), b = blockSums(b0, b1);
        const cv::v_uint8x16 uv =
            cv::v_pack_u(weigh(r, g, b, uRG_, uB_, CHROMA_HALF, CHROMA_SHIFT, 128),
                         weigh(r, g, b, vRG_, vB_, CHROMA_HALF, CHROMA_SHIFT, 128));
        cv::v_store_low(u, uv);
        cv::v_store_high(v, uv);
    }

private:
    using U16 = cv::v_uint16x8;
    using S16 = cv::v_int16x8;
    using S32 = cv::v_int32x4;

    // (first, second) in every pair of 16-bit lanes.
    static S16 pairs(int first, int second) {
        return cv::v_reinterpret_as_s16(
            cv::v_setall_u32(uint32_t(uint16_t(first)) | (uint32_t(uint16_t(second)) << 16)));
    }

    // offset + ((x · xy.first + y · xy.second + z · zc.first + round) >> shift), eight lanes.
    static S16 weigh(const U16& x, const U16& y, const U16& z, const S16& xy, const S16& zc,
                     int round, int shift, int offset) {
        U16 xy0, xy1, z0, z1;
        cv::v_zip(x, y, xy0, xy1);
        cv::v_zip(z, cv::v_setzero_u16(), z0, z1);
        auto sum = [&](const U16& p, const U16& q) {
            const S32 total = cv::v_dotprod(cv::v_reinterpret_as_s16(p), xy) +
                              cv::v_dotprod(cv::v_reinterpret_as_s16(q), zc) +
                              cv::v_setall_s32(round);
            return (total >> shift) + cv::v_setall_s32(offset);
        };
        return cv::v_pack(sum(xy0, z0), sum(xy1, z1));
    }

    void luma(const cv::v_uint8x16& r, const cv::v_uint8x16& g, const cv::v_uint8x16& b,
              uint8_t* out) const {
        U16 rl, rh, gl, gh, bl, bh;
        cv::v_expand(r, rl, rh);
        cv::v_expand(g, gl, gh);
        cv::v_expand(b, bl, bh);
        cv::v_store(out, cv::v_pack_u(weigh(rl, gl, bl, yRG_, yB_, HALF, SHIFT, 16),
                                      weigh(rh, gh, bh, yRG_, yB_, HALF, SHIFT, 16)));
    }

    // Each 2 × 2 block's sum of one channel: eight blocks from two rows of sixteen pixels.
    U16 blockSums(const cv::v_uint8x16& top, const cv::v_uint8x16& bottom) const {
        U16 tl, th, bl, bh;
        cv::v_expand(top, tl, th);
        cv::v_expand(bottom, bl, bh);
        return cv::v_reinterpret_as_u16(
            cv::v_pack(cv::v_dotprod(cv::v_reinterpret_as_s16(tl + bl), ones_),
                       cv::v_dotprod(cv::v_reinterpret_as_s16(th + bh), ones_)));
    }

    const S16 ones_ = cv::v_setall_s16(1);
    const S16 yRG_ = pairs(YR, YG), yB_ = pairs(YB, 0);
    const S16 uRG_ = pairs(UR, UG), uB_ = pairs(UB, 0);
    const S16 vRG_ = pairs(VR, VG), vB_ = pairs(VB, 0);
};

}  // namespace

void rgbaAreaToYuv420(const cv::Mat& rgba, const cv::Rect& area, const YuvPlanes& planes) {
    CV_Assert(rgba.type() == CV_8UC4);
    // Even edges: round the start down and the end up.
    const int x0 = std::max(0, area.x & ~1), y0 = std::max(0, area.y & ~1);
    const int x1 = std::min(rgba.cols & ~1, (area.x + area.width + 1) & ~1);
    const int y1 = std::min(rgba.rows & ~1, (area.y + area.height + 1) & ~1);
    const VectorConverter vectors;
    for (int y = y0; y < y1; y += 2) {
        const uint8_t* top = rgba.ptr<uint8_t>(y);
        const uint8_t* bottom = rgba.ptr<uint8_t>(y + 1);
        uint8_t* lumaTop = planes.y + ptrdiff_t(y) * planes.yStride;
        uint8_t* lumaBottom = lumaTop + planes.yStride;
        uint8_t* u = planes.u + ptrdiff_t(y / 2) * planes.uStride;
        uint8_t* v = planes.v + ptrdiff_t(y / 2) * planes.vStride;
        int x = x0;
        for (; x + 16 <= x1; x += 16)
            vectors.convert(top + 4 * x, bottom + 4 * x, lumaTop + x, lumaBottom + x, u + x / 2,
                            v + x / 2);
        convertPairOfRows(top, bottom, x, x1, lumaTop, lumaBottom, u, v);
    }
}
