#include "platform/media/PictureScaler.h"

extern "C" {
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include "platform/media/FfmpegSupport.h"

namespace {

// The widest store swscale makes, in pixels of the packed formats (64 bytes of 4-byte pixels).
constexpr int SWSCALE_BLOCK_PIXELS = 16;

int swsColourspace(AVColorSpace matrix) {
    switch (matrix) {
        case AVCOL_SPC_BT709:
            return SWS_CS_ITU709;
        case AVCOL_SPC_BT2020_NCL:
        case AVCOL_SPC_BT2020_CL:
            return SWS_CS_BT2020;
        case AVCOL_SPC_FCC:
            return SWS_CS_FCC;
        case AVCOL_SPC_SMPTE240M:
            return SWS_CS_SMPTE240M;
        default:
            return SWS_CS_ITU601;
    }
}

// A frame that borrows the pixels of a packed picture for the length of one conversion.
AVFrame* borrow(const cv::Mat& packed, AVPixelFormat format) {
    AVFrame* f = av_frame_alloc();
    f->format = format;
    f->width = packed.cols;
    f->height = packed.rows;
    f->data[0] = packed.data;
    f->linesize[0] = int(packed.step);
    f->buf[0] = av_buffer_create(
        packed.data, packed.step * packed.rows, [](void*, uint8_t*) {}, nullptr, 0);
    return f;
}

}  // namespace

PictureScaler::~PictureScaler() {
    sws_freeContext(context_);
}

bool PictureScaler::prepare(const Key& key, bool yuvSource) {
    if (context_ && key == key_) return true;
    sws_freeContext(context_);
    context_ = sws_alloc_context();
    bool scales = key.srcWidth != key.dstWidth || key.srcHeight != key.dstHeight;
    av_opt_set_int(context_, "srcw", key.srcWidth, 0);
    av_opt_set_int(context_, "srch", key.srcHeight, 0);
    av_opt_set_int(context_, "src_format", key.srcFormat, 0);
    av_opt_set_int(context_, "dstw", key.dstWidth, 0);
    av_opt_set_int(context_, "dsth", key.dstHeight, 0);
    av_opt_set_int(context_, "dst_format", key.dstFormat, 0);
    av_opt_set_int(context_, "sws_flags", scales ? SWS_BICUBIC : SWS_BILINEAR, 0);
    av_opt_set_int(context_, "threads", 0, 0);
    if (sws_init_context(context_, nullptr, nullptr) < 0) {
        sws_freeContext(context_);
        context_ = nullptr;
        return false;
    }
    const int* coefficients = sws_getCoefficients(swsColourspace(AVColorSpace(key.matrix)));
    // Packed pictures are always full range; YUV is whatever its range says.
    int srcFull = yuvSource ? key.range : 1;
    int dstFull = yuvSource ? 1 : key.range;
    sws_setColorspaceDetails(context_, coefficients, srcFull, coefficients, dstFull, 0, 1 << 16,
                             1 << 16);
    key_ = key;
    return true;
}

bool PictureScaler::scale(SwsContext* context, AVFrame* dst, const AVFrame* src) {
    return sws_scale_frame(context, dst, src) >= 0;
}

bool PictureScaler::toPacked(const AVFrame* frame, int width, int height, AVColorSpace matrix,
                             cv::Mat& packed, AVPixelFormat packedFormat) {
    int full =
        knownTag(frame->color_range, AVCOL_RANGE_NB, AVCOL_RANGE_UNSPECIFIED) == AVCOL_RANGE_JPEG ||
        frame->format == AV_PIX_FMT_YUVJ420P || frame->format == AV_PIX_FMT_YUVJ444P ||
        frame->format == AV_PIX_FMT_YUVJ422P;
    Key key{width,       height,       frame->format, packed.cols,
            packed.rows, packedFormat, int(matrix),   full};
    if (!prepare(key, true)) return false;
    AVFrame* src = av_frame_clone(frame);
    src->width = width;
    src->height = height;
    // swscale stores whole vector blocks: a row that is not a whole number of them spills past
    // its end, and past the picture's after the last row. Such pictures go through a copy with
    // room to spare.
    const bool spills = packed.cols % SWSCALE_BLOCK_PIXELS != 0;
    cv::Mat target = packed;
    if (spills) {
        padded_.create(packed.rows + 1, packed.cols + 2 * SWSCALE_BLOCK_PIXELS, packed.type());
        target = padded_(cv::Rect(0, 0, packed.cols, packed.rows));
    }
    AVFrame* dst = borrow(target, packedFormat);
    bool ok = scale(context_, dst, src);
    av_frame_free(&dst);
    av_frame_free(&src);
    if (ok && spills) target.copyTo(packed);
    return ok;
}

bool PictureScaler::fromPacked(const cv::Mat& packed, AVPixelFormat packedFormat,
                               AVColorSpace matrix, AVFrame* frame) {
    Key key{packed.cols,   packed.rows,   packedFormat, frame->width,
            frame->height, frame->format, int(matrix),  0};
    if (!prepare(key, false)) return false;
    AVFrame* src = borrow(packed, packedFormat);
    bool ok = scale(context_, frame, src);
    av_frame_free(&src);
    return ok;
}
