#include "platform/media/DisplayMatrix.h"

extern "C" {
#include <libavformat/avformat.h>
}

std::optional<AffineTransform> displayMatrixOf(const AVStream* stream) {
    size_t size = 0;
    auto* m = reinterpret_cast<const int32_t*>(av_stream_get_side_data(
        const_cast<AVStream*>(stream), AV_PKT_DATA_DISPLAYMATRIX, &size));
    if (!m || size < 9 * sizeof(int32_t)) return std::nullopt;
    // 16.16 fixed point for a, b, c, d and the translation; see libavutil/display.h.
    auto fixed = [](int32_t v) { return v / 65536.0; };
    return AffineTransform{fixed(m[0]), fixed(m[1]), fixed(m[3]),
                           fixed(m[4]), fixed(m[6]), fixed(m[7])};
}
