#pragma once
// The decoder's picture behind a VideoFrame (a reference to an AVFrame). Only the readers and
// writers of this folder see inside it.

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/pixfmt.h>
}

struct DecodedPicture {
    AVFrame* frame = av_frame_alloc();
    // The matrix the reader converted the picture with: the frame's own tag, or the reader's
    // choice when the tag is unspecified.
    AVColorSpace matrix = AVCOL_SPC_UNSPECIFIED;

    DecodedPicture() = default;
    DecodedPicture(const DecodedPicture&) = delete;
    DecodedPicture& operator=(const DecodedPicture&) = delete;
    ~DecodedPicture() { av_frame_free(&frame); }
};
