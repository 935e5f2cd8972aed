#pragma once
// Converts decoder pictures (YUV) to packed pictures (RGBA and kin) and back with libswscale,
// sliced over worker threads. Keeps one conversion context and makes a new one only when the
// sizes, formats or colours change. One thread at a time.

#include <opencv2/core/mat.hpp>

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/pixfmt.h>
}

struct SwsContext;

class PictureScaler {
public:
    PictureScaler() = default;
    PictureScaler(const PictureScaler&) = delete;
    PictureScaler& operator=(const PictureScaler&) = delete;
    ~PictureScaler();

    // The top-left `width` x `height` of `frame`, read with `matrix` and the frame's range, into
    // `packed` (already sized and typed), scaled to fit it exactly.
    bool toPacked(const AVFrame* frame, int width, int height, AVColorSpace matrix, cv::Mat& packed,
                  AVPixelFormat packedFormat);
    // `packed` into `frame`, whose format and size are set and whose buffer is allocated,
    // written in limited range with `matrix`.
    bool fromPacked(const cv::Mat& packed, AVPixelFormat packedFormat, AVColorSpace matrix,
                    AVFrame* frame);

private:
    struct Key {
        int srcWidth, srcHeight, srcFormat, dstWidth, dstHeight, dstFormat, matrix, range;
        friend bool operator==(const Key&, const Key&) = default;
    };
    bool prepare(const Key& key, bool yuvSource);
    static bool scale(SwsContext* context, AVFrame* dst, const AVFrame* src);

    SwsContext* context_ = nullptr;
    Key key_{};
    cv::Mat padded_;  // room for swscale's spill on pictures of odd widths, kept between frames
};
