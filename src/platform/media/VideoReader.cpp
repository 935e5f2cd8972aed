#include "platform/media/VideoReader.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include <opencv2/core.hpp>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include "platform/media/DecodedPicture.h"
#include "platform/media/DisplayMatrix.h"
#include "platform/media/FfmpegSupport.h"
#include "platform/media/PictureScaler.h"
#include "platform/media/PqToHlg.h"
#include "platform/media/StreamInput.h"

namespace {

// The quarter turn and mirror of a display matrix, as FFmpeg's own player applies them.
struct Orientation {
    int counterClockwise = 0;  // 0, 90, 180 or 270
    bool mirrored = false;
    // Any other turn, in whole degrees: an upright picture would need its corners cut or padded,
    // and guessing the nearest quarter turn could show the picture on its side.
    int unsupportedTurn = 0;

    bool swapsSides() const { return counterClockwise == 90 || counterClockwise == 270; }
    bool isIdentity() const { return counterClockwise == 0 && !mirrored; }

    static Orientation of(const AVStream* stream) {
        Orientation o;
        auto m = displayMatrixOf(stream);
        if (!m) return o;
        double degrees = -std::atan2(m->b, m->a) * 180 / M_PI;
        // Whole degrees as `info` shows them; a tag of 90 stores an inexact 16.16 sine.
        int whole = int(std::lround(degrees));
        if (whole % 90 != 0) o.unsupportedTurn = (whole % 360 + 360) % 360;
        int quarter = int(std::lround(degrees / 90)) % 4;
        o.counterClockwise = (quarter < 0 ? quarter + 4 : quarter) * 90;
        o.mirrored = m->a * m->d - m->b * m->c < 0;
        return o;
    }

    void apply(const cv::Mat& stored, cv::Mat& upright) const {
        const cv::Mat* from = &stored;
        cv::Mat flipped;
        if (mirrored) {
            cv::flip(stored, flipped, 1);
            from = &flipped;
        }
        switch (counterClockwise) {
            case 90:
                cv::rotate(*from, upright, cv::ROTATE_90_COUNTERCLOCKWISE);
                break;
            case 180:
                cv::rotate(*from, upright, cv::ROTATE_180);
                break;
            case 270:
                cv::rotate(*from, upright, cv::ROTATE_90_CLOCKWISE);
                break;
            default:
                upright = *from;
        }
    }
};

int matType(VideoPixelFormat f) {
    return f == VideoPixelFormat::rgba16 ? CV_16UC4 : CV_8UC4;
}

AVPixelFormat avFormat(VideoPixelFormat f) {
    switch (f) {
        case VideoPixelFormat::rgba8:
            return AV_PIX_FMT_RGBA;
        case VideoPixelFormat::rgba16:
            return AV_PIX_FMT_RGBA64LE;
        case VideoPixelFormat::bgra8:
            return AV_PIX_FMT_BGRA;
    }
    return AV_PIX_FMT_RGBA;
}

// Untagged pictures read as players read them: BT.709 from 720 lines up, BT.601 below.
AVColorSpace matrixOf(const AVFrame* frame) {
    AVColorSpace stated = knownTag(frame->colorspace, AVCOL_SPC_NB, AVCOL_SPC_UNSPECIFIED);
    if (stated != AVCOL_SPC_UNSPECIFIED && stated != AVCOL_SPC_RESERVED) return stated;
    return std::max(frame->width, frame->height) >= 1280 || frame->height >= 720
               ? AVCOL_SPC_BT709
               : AVCOL_SPC_SMPTE170M;
}

// Whether any sample of the stream lies past the end of the file: the header promises more
// than the file holds.
bool indexReachesPastEnd(AVFormatContext* format, AVStream* stream) {
    int64_t fileSize = format->pb ? avio_size(format->pb) : -1;
    if (fileSize <= 0) return false;
    int count = avformat_index_get_entries_count(stream);
    for (int i = count - 1; i >= 0; --i) {
        const AVIndexEntry* e = avformat_index_get_entry(stream, i);
        if (e->pos + e->size > fileSize) return true;
    }
    return false;
}

}  // namespace

struct VideoReader::Context : StreamInput {
    VideoReaderSettings settings;
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    Orientation orientation;
    int width = 0, height = 0;              // upright output
    int storedWidth = 0, storedHeight = 0;  // before the quarter turn, after scaling
    bool cropsEdges = false;
    bool truncated = false;
    PictureScaler scaler;
    int64_t rangeStart = INT64_MIN, rangeEnd = INT64_MAX;  // stream time base
    bool keyFrameWanted = false;  // the frame a seek lands on is read even before the range
    bool draining = false;
    bool ended = false;
    std::string error;

    ~Context() {
        av_frame_free(&frame);
        av_packet_free(&packet);
    }

    ReadStatus fail(std::string reason) {
        error = std::move(reason);
        return ReadStatus::failed;
    }

    // Next decoded picture in `frame`; `end` once the decoder is drained.
    ReadStatus decodeNext() {
        for (;;) {
            int rc = avcodec_receive_frame(decoder, frame);
            if (rc == 0) return ReadStatus::frame;
            if (rc == AVERROR_EOF) {
                if (truncated) return fail("the video ends before its last frame");
                return ReadStatus::end;
            }
            if (rc != AVERROR(EAGAIN)) return fail("cannot decode the video: " + averrorText(rc));
            if (draining) return ReadStatus::end;
            rc = av_read_frame(format, packet);
            if (rc == AVERROR_EOF) {
                draining = true;
                avcodec_send_packet(decoder, nullptr);
                continue;
            }
            if (rc < 0) return fail("cannot read the video: " + averrorText(rc));
            if (packet->stream_index == stream->index) rc = avcodec_send_packet(decoder, packet);
            av_packet_unref(packet);
            if (rc < 0 && rc != AVERROR(EAGAIN))
                return fail("cannot decode the video: " + averrorText(rc));
        }
    }

    bool convert(VideoFrame& out) {
        AVColorSpace matrix = matrixOf(frame);
        cv::Mat stored(storedHeight, storedWidth, matType(settings.format));
        // An odd source keeps its even part: the scaler reads only the top-left of the picture.
        int srcWidth = frame->width, srcHeight = frame->height;
        if (cropsEdges) {
            srcWidth = orientation.swapsSides() ? height : width;
            srcHeight = orientation.swapsSides() ? width : height;
        }
        if (!scaler.toPacked(frame, srcWidth, srcHeight, matrix, stored, avFormat(settings.format)))
            return false;
        cv::Mat upright;
        orientation.apply(stored, upright);
        if (settings.pqToHlg &&
            knownTag(frame->color_trc, AVCOL_TRC_NB, AVCOL_TRC_UNSPECIFIED) ==
                AVCOL_TRC_SMPTE2084 &&
            settings.format == VideoPixelFormat::rgba16)
            convertPqToHlg(upright);
        out.image = Image(upright);
        out.decoded.reset();
        if (settings.keepDecoded && orientation.isIdentity() && !cropsEdges &&
            frame->width == width && frame->height == height) {
            auto decoded = std::make_shared<DecodedPicture>();
            av_frame_ref(decoded->frame, frame);
            decoded->matrix = matrix;
            out.decoded = std::move(decoded);
        }
        return true;
    }
};

VideoReader::VideoReader(std::unique_ptr<Context> context) : context_(std::move(context)) {}
VideoReader::~VideoReader() = default;

std::unique_ptr<VideoReader> VideoReader::open(const MediaSource& source,
                                               const VideoReaderSettings& settings,
                                               std::string* error) {
    auto c = std::make_unique<Context>();
    c->settings = settings;
    std::string reason = c->open(source, AVMEDIA_TYPE_VIDEO, -1);
    auto fail = [&](const std::string& why) {
        if (error) *error = source.name + ": " + why;
        return nullptr;
    };
    if (!reason.empty()) return fail(reason);
    if (c->decoder->width <= 0 || c->decoder->height <= 0) return fail("no picture size");

    c->orientation = Orientation::of(c->stream);
    if (int turn = c->orientation.unsupportedTurn)
        return fail("its rotation tag turns the picture by " + std::to_string(turn) +
                    " degrees; only quarter turns are supported");
    int displayWidth = c->orientation.swapsSides() ? c->decoder->height : c->decoder->width;
    int displayHeight = c->orientation.swapsSides() ? c->decoder->width : c->decoder->height;
    c->width = settings.width > 0 ? settings.width : displayWidth;
    c->height = settings.height > 0 ? settings.height : displayHeight;
    if (settings.width <= 0 && settings.maxSide > 0 &&
        std::max(displayWidth, displayHeight) > settings.maxSide) {
        double k = double(settings.maxSide) / std::max(displayWidth, displayHeight);
        c->width = std::max(1, int(std::lround(displayWidth * k)));
        c->height = std::max(1, int(std::lround(displayHeight * k)));
    }
    int trimX = displayWidth - c->width, trimY = displayHeight - c->height;
    c->cropsEdges = (trimX == 0 || trimX == 1) && (trimY == 0 || trimY == 1) && trimX + trimY > 0;
    c->storedWidth = c->orientation.swapsSides() ? c->height : c->width;
    c->storedHeight = c->orientation.swapsSides() ? c->width : c->height;
    c->truncated = indexReachesPastEnd(c->format, c->stream);
    return std::unique_ptr<VideoReader>(new VideoReader(std::move(c)));
}

int VideoReader::width() const {
    return context_->width;
}
int VideoReader::height() const {
    return context_->height;
}
int32_t VideoReader::timescale() const {
    return mediaTimeOf(0, context_->stream->time_base)->timescale;
}

MediaTimeRange VideoReader::trackRange() const {
    const AVStream* st = context_->stream;
    int64_t start = st->start_time == AV_NOPTS_VALUE ? 0 : st->start_time;
    int64_t duration = st->duration;
    if (duration == AV_NOPTS_VALUE && context_->format->duration != AV_NOPTS_VALUE)
        duration = av_rescale_q(context_->format->duration, AV_TIME_BASE_Q, st->time_base);
    return {*mediaTimeOf(start, st->time_base),
            *mediaTimeOf(std::max<int64_t>(duration, 0), st->time_base)};
}

std::optional<double> VideoReader::bitRate() const {
    int64_t rate = context_->stream->codecpar->bit_rate;
    if (rate > 0) return double(rate);
    return std::nullopt;
}

double VideoReader::averageFrameRate() const {
    AVRational r = context_->stream->avg_frame_rate;
    if (r.num <= 0 || r.den <= 0) r = context_->stream->r_frame_rate;
    return r.num > 0 && r.den > 0 ? av_q2d(r) : 0.0;
}

bool VideoReader::isPq() const {
    return knownTag(context_->stream->codecpar->color_trc, AVCOL_TRC_NB, AVCOL_TRC_UNSPECIFIED) ==
           AVCOL_TRC_SMPTE2084;
}

bool VideoReader::setRange(const MediaTimeRange& range, bool withKeyFrame) {
    Context& c = *context_;
    AVRational base{1, range.start.timescale};
    AVRational tb = c.stream->time_base;
    // A frame belongs to the range when its time is at or after the start and before the end.
    c.rangeStart = av_rescale_q_rnd(range.start.value, base, tb, AV_ROUND_UP);
    MediaTime end = range.end();
    c.rangeEnd = av_rescale_q_rnd(end.value, AVRational{1, end.timescale}, tb, AV_ROUND_UP);
    if (av_seek_frame(c.format, c.stream->index, c.rangeStart, AVSEEK_FLAG_BACKWARD) < 0) {
        c.error = "cannot seek in the video";
        return false;
    }
    avcodec_flush_buffers(c.decoder);
    c.draining = false;
    c.ended = false;
    c.keyFrameWanted = withKeyFrame;
    return true;
}

ReadStatus VideoReader::read(VideoFrame& out) {
    Context& c = *context_;
    for (;;) {
        if (cancelled_.load(std::memory_order_relaxed)) return ReadStatus::cancelled;
        if (c.ended) return ReadStatus::end;
        ReadStatus status = c.decodeNext();
        if (status != ReadStatus::frame) {
            c.ended = status == ReadStatus::end;
            return status;
        }
        int64_t pts = c.frame->best_effort_timestamp;
        if (pts == AV_NOPTS_VALUE) pts = c.frame->pts;
        const bool keyFrame = std::exchange(c.keyFrameWanted, false);
        if (pts != AV_NOPTS_VALUE && pts < c.rangeStart && !keyFrame) {
            av_frame_unref(c.frame);
            continue;
        }
        if (pts != AV_NOPTS_VALUE && pts >= c.rangeEnd) {
            av_frame_unref(c.frame);
            c.ended = true;
            return ReadStatus::end;
        }
        auto time = mediaTimeOf(pts, c.stream->time_base);
        bool converted = c.convert(out);
        av_frame_unref(c.frame);
        if (!converted) return c.fail("cannot convert the picture");
        out.time = time.value_or(MediaTime::invalid());
        return ReadStatus::frame;
    }
}

const std::string& VideoReader::error() const {
    return context_->error;
}
