#include "platform/image/SeparableResample.h"

#include <algorithm>

#include <opencv2/core.hpp>
#include <opencv2/core/hal/intrin.hpp>

#include "platform/image/PixelDepth.h"

namespace {

// One pixel's four channels as floats.
inline cv::v_float32x4 loadPixel(const uint8_t* p) {
    return cv::v_cvt_f32(cv::v_reinterpret_as_s32(cv::v_load_expand_q(p)));
}
inline cv::v_float32x4 loadPixel(const uint16_t* p) {
    return cv::v_cvt_f32(cv::v_reinterpret_as_s32(cv::v_load_expand(p)));
}
inline cv::v_float32x4 loadPixel(const float* p) {
    return cv::v_load(p);
}

// Widens one source row to output columns. Plain arguments keep the loops' values in
// registers (an 8-bit store could otherwise alias anything they read).
template <class S, int CN>
void widenRow(const S* __restrict source, const ResampleTap* __restrict columns, int width,
              float* __restrict out) {
    for (int x = 0; x < width; ++x) {
        const ResampleTap c = columns[x];
        const S* l = source + c.first * CN;
        const S* m = source + c.second * CN;
        if constexpr (CN == 4) {
            // A pixel's channels fill one vector: the compiler does not find that itself.
            const cv::v_float32x4 a = loadPixel(l);
            cv::v_store(out + x * 4, cv::v_muladd(loadPixel(m) - a, cv::v_setall_f32(c.weight), a));
        } else {
            for (int ch = 0; ch < CN; ++ch)
                out[x * CN + ch] = float(l[ch]) + c.weight * (float(m[ch]) - float(l[ch]));
        }
    }
}

// dst = a + weight · (b − a), rounded; the packs saturate, which clamps to the channel's range.
// Written with vectors, as the compiler's own narrowing to bytes takes several times longer.
inline cv::v_int32x4 mixed(const float* a, const float* b, const cv::v_float32x4& weight) {
    const cv::v_float32x4 from = cv::v_load(a);
    return cv::v_round(cv::v_muladd(cv::v_load(b) - from, weight, from));
}

template <class T>
void mixRow(const float* __restrict a, const float* __restrict b, float weight, int count,
            T* __restrict dst) {
    const cv::v_float32x4 w = cv::v_setall_f32(weight);
    int i = 0;
    if constexpr (sizeof(T) == 1) {
        for (; i + 16 <= count; i += 16)
            cv::v_store(
                dst + i,
                cv::v_pack_u(
                    cv::v_pack(mixed(a + i, b + i, w), mixed(a + i + 4, b + i + 4, w)),
                    cv::v_pack(mixed(a + i + 8, b + i + 8, w), mixed(a + i + 12, b + i + 12, w))));
    } else {
        for (; i + 8 <= count; i += 8)
            cv::v_store(dst + i,
                        cv::v_pack_u(mixed(a + i, b + i, w), mixed(a + i + 4, b + i + 4, w)));
    }
    for (; i < count; ++i) dst[i] = cv::saturate_cast<T>(a[i] + weight * (b[i] - a[i]));
}

template <class S, int CN>
void widen(const cv::Mat& source, int firstRow, const std::vector<ResampleTap>& columns,
           cv::Mat& wide) {
    cv::parallel_for_(cv::Range(0, wide.rows), [&](const cv::Range& range) {
        for (int j = range.start; j < range.end; ++j)
            widenRow<S, CN>(source.ptr<S>(firstRow + j), columns.data(), int(columns.size()),
                            wide.ptr<float>(j));
    });
}

template <class S>
void widenAnyChannels(const cv::Mat& source, int firstRow, const std::vector<ResampleTap>& columns,
                      cv::Mat& wide) {
    if (source.channels() == 1)
        widen<S, 1>(source, firstRow, columns, wide);
    else
        widen<S, 4>(source, firstRow, columns, wide);
}

}  // namespace

cv::Mat resampleSeparable(const cv::Mat& source, const std::vector<ResampleTap>& columns,
                          const std::vector<ResampleTap>& rows, int depth) {
    const int channels = source.channels();
    cv::Mat out(int(rows.size()), int(columns.size()), CV_MAKETYPE(depth, channels));
    if (out.empty()) return out;
    // Only the source rows the taps read are widened.
    int firstRow = source.rows, lastRow = 0;
    for (const ResampleTap& r : rows) {
        firstRow = std::min({firstRow, r.first, r.second});
        lastRow = std::max({lastRow, r.first, r.second});
    }
    cv::Mat wide(lastRow - firstRow + 1, out.cols, CV_MAKETYPE(CV_32F, channels));
    switch (source.depth()) {
        case CV_8U:
            widenAnyChannels<uint8_t>(source, firstRow, columns, wide);
            break;
        case CV_16U:
            widenAnyChannels<uint16_t>(source, firstRow, columns, wide);
            break;
        default:
            widenAnyChannels<float>(source, firstRow, columns, wide);
            break;
    }
    dispatchDepth(depth, [&]<class T>() {
        cv::parallel_for_(cv::Range(0, out.rows), [&](const cv::Range& range) {
            for (int y = range.start; y < range.end; ++y) {
                const ResampleTap& r = rows[size_t(y)];
                mixRow<T>(wide.ptr<float>(r.first - firstRow), wide.ptr<float>(r.second - firstRow),
                          r.weight, out.cols * channels, out.ptr<T>(y));
            }
        });
    });
    return out;
}
