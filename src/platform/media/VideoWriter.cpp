#include "platform/media/VideoWriter.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
}

#include "platform/media/AreaToYuv.h"
#include "platform/media/DecodedPicture.h"
#include "platform/media/FfmpegLogLevel.h"
#include "platform/media/FfmpegSupport.h"
#include "platform/media/PictureScaler.h"

namespace {

// x264's quality scale when the source states no data rate: its own default, visually clean.
constexpr int H264_FALLBACK_CRF = 23;
constexpr int HEVC_FALLBACK_CRF = 26;
// Above 1080p, x264 keeps few frames in flight: with its look-ahead, B-frames and frame threads
// it holds about 800 MB at 4K, most of an export's memory. Slice threads and no look-ahead
// bring that under 200 MB and encode no slower, for a slightly lower quality at equal rate.
constexpr int64_t FEW_FRAMES_ABOVE_PIXELS = 1920 * 1080;

// Converting a frame mostly by areas costs more than the whole-frame conversion, which runs
// on several threads.
bool worthConvertingByArea(const std::vector<cv::Rect>& changed, const AVCodecContext& video) {
    double area = 0;
    for (const cv::Rect& r : changed) area += double(r.width) * r.height;
    return area <= 0.5 * video.width * video.height;
}

struct Encoder {
    AVCodecContext* codec = nullptr;
    AVStream* stream = nullptr;
    ~Encoder() { avcodec_free_context(&codec); }
};

}  // namespace

std::string h264Params(int width, int height) {
    if (int64_t(width) * height <= FEW_FRAMES_ABOVE_PIXELS) return {};
    return "sliced-threads=1:rc-lookahead=0:bframes=0:mbtree=0";
}

struct VideoWriter::Context {
    std::string path;
    AVFormatContext* format = nullptr;
    Encoder video;
    Encoder audio;
    VideoWriterSettings settings;
    AVPacket* packet = av_packet_alloc();
    PictureScaler scaler;
    std::vector<float> pendingAudio;
    int64_t nextAudioSample = AV_NOPTS_VALUE;
    int64_t passedThrough = 0;
    int64_t convertedByArea = 0;
    bool headerWritten = false;
    bool finished = false;
    std::string error;

    ~Context() {
        if (!finished) discard();
        av_packet_free(&packet);
    }

    bool fail(const std::string& what, int rc) {
        error = what + ": " + averrorText(rc);
        return false;
    }

    bool discard() {
        if (format) {
            if (format->pb) avio_closep(&format->pb);
            avformat_free_context(format);
            format = nullptr;
        }
        std::error_code ec;
        std::filesystem::remove(path, ec);
        if (ec) error = ec.message();
        return !ec;
    }

    bool open(Encoder& e, const AVCodec* codec, AVDictionary** options) {
        if (format->oformat->flags & AVFMT_GLOBALHEADER)
            e.codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        int rc = avcodec_open2(e.codec, codec, options);
        av_dict_free(options);
        if (rc < 0) return fail("cannot open the encoder", rc);
        e.stream = avformat_new_stream(format, nullptr);
        if (!e.stream) return fail("cannot add a stream", AVERROR(ENOMEM));
        e.stream->time_base = e.codec->time_base;
        rc = avcodec_parameters_from_context(e.stream->codecpar, e.codec);
        if (rc < 0) return fail("cannot add a stream", rc);
        return true;
    }

    // Sends `frame` (nullptr: flush) and writes every packet the encoder gives back.
    bool encode(Encoder& e, AVFrame* frame) {
        int rc = avcodec_send_frame(e.codec, frame);
        if (rc < 0) return fail("cannot encode", rc);
        for (;;) {
            rc = avcodec_receive_packet(e.codec, packet);
            if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF) return true;
            if (rc < 0) return fail("cannot encode", rc);
            av_packet_rescale_ts(packet, e.codec->time_base, e.stream->time_base);
            packet->stream_index = e.stream->index;
            rc = av_interleaved_write_frame(format, packet);
            if (rc < 0) return fail("cannot write " + path, rc);
        }
    }

    bool canPassThrough(const DecodedPicture& d) const {
        const AVFrame* f = d.frame;
        if (f->format != video.codec->pix_fmt || f->width != video.codec->width ||
            f->height != video.codec->height || f->color_range == AVCOL_RANGE_JPEG ||
            d.matrix != video.codec->colorspace)
            return false;
        if (settings.hdr)
            return f->color_trc == AVCOL_TRC_ARIB_STD_B67 || f->color_trc == AVCOL_TRC_BT2020_10;
        return f->color_trc != AVCOL_TRC_SMPTE2084 && f->color_trc != AVCOL_TRC_ARIB_STD_B67;
    }

    bool encodeAudioFrame(int count) {
        AVFrame* frame = av_frame_alloc();
        frame->format = audio.codec->sample_fmt;
        frame->nb_samples = count;
        frame->sample_rate = audio.codec->sample_rate;
        av_channel_layout_copy(&frame->ch_layout, &audio.codec->ch_layout);
        bool ok = av_frame_get_buffer(frame, 0) >= 0;
        if (ok) {
            std::memcpy(frame->data[0], pendingAudio.data(), size_t(count) * sizeof(float));
            pendingAudio.erase(pendingAudio.begin(), pendingAudio.begin() + count);
            frame->pts = nextAudioSample;
            nextAudioSample += count;
            ok = encode(audio, frame);
        } else {
            error = "out of memory";
        }
        av_frame_free(&frame);
        return ok;
    }
};

VideoWriter::VideoWriter(std::unique_ptr<Context> context) : context_(std::move(context)) {}
VideoWriter::~VideoWriter() = default;

std::unique_ptr<VideoWriter> VideoWriter::create(const std::string& path, std::string* error) {
    quietFfmpegLogs();
    auto c = std::make_unique<Context>();
    c->path = path;
    int rc = avformat_alloc_output_context2(&c->format, nullptr, "mp4", path.c_str());
    if (rc >= 0) rc = avio_open(&c->format->pb, path.c_str(), AVIO_FLAG_WRITE);
    if (rc < 0) {
        // Nothing was created, so nothing may be deleted: the path may be someone else's file.
        avformat_free_context(c->format);
        c->format = nullptr;
        c->finished = true;
        if (error) *error = path + ": " + averrorText(rc);
        return nullptr;
    }
    return std::unique_ptr<VideoWriter>(new VideoWriter(std::move(c)));
}

bool VideoWriter::addVideo(const VideoWriterSettings& s) {
    Context& c = *context_;
    c.settings = s;
    const AVCodec* codec = avcodec_find_encoder_by_name(s.hdr ? "libx265" : "libx264");
    if (!codec) return c.fail("no encoder", AVERROR_ENCODER_NOT_FOUND);
    c.video.codec = avcodec_alloc_context3(codec);
    AVCodecContext* v = c.video.codec;
    v->width = s.width;
    v->height = s.height;
    v->time_base = AVRational{1, s.timescale};
    if (s.frameRate > 0) v->framerate = av_d2q(s.frameRate, 1 << 16);
    v->sample_aspect_ratio = AVRational{1, 1};
    v->color_range = AVCOL_RANGE_MPEG;
    AVDictionary* options = nullptr;
    if (s.hdr) {
        v->pix_fmt = AV_PIX_FMT_YUV420P10LE;
        v->color_primaries = AVCOL_PRI_BT2020;
        v->color_trc = AVCOL_TRC_ARIB_STD_B67;
        v->colorspace = AVCOL_SPC_BT2020_NCL;
        av_dict_set(&options, "profile", "main10", 0);
        av_dict_set(&options, "preset", HEVC_PRESET, 0);
        av_dict_set(&options, "x265-params", "log-level=error", 0);
    } else {
        v->pix_fmt = AV_PIX_FMT_YUV420P;
        v->color_primaries = AVCOL_PRI_BT709;
        v->color_trc = AVCOL_TRC_BT709;
        v->colorspace = AVCOL_SPC_BT709;
        av_dict_set(&options, "preset", H264_PRESET, 0);
        if (auto params = h264Params(s.width, s.height); !params.empty())
            av_dict_set(&options, "x264-params", params.c_str(), 0);
    }
    if (s.bitRate > 0) {
        v->bit_rate = int64_t(s.bitRate);
    } else {
        av_dict_set_int(&options, "crf", s.hdr ? HEVC_FALLBACK_CRF : H264_FALLBACK_CRF, 0);
    }
    if (!c.open(c.video, codec, &options)) return false;
    if (s.hdr) c.video.stream->codecpar->codec_tag = MKTAG('h', 'v', 'c', '1');
    c.video.stream->avg_frame_rate = v->framerate;
    return true;
}

bool VideoWriter::addAudio(int sampleRate, int bitRate) {
    Context& c = *context_;
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_AAC);
    if (!codec) return c.fail("no encoder", AVERROR_ENCODER_NOT_FOUND);
    c.audio.codec = avcodec_alloc_context3(codec);
    AVCodecContext* a = c.audio.codec;
    a->sample_fmt = AV_SAMPLE_FMT_FLTP;
    a->sample_rate = sampleRate;
    a->bit_rate = bitRate;
    a->time_base = AVRational{1, sampleRate};
    AVChannelLayout mono = AV_CHANNEL_LAYOUT_MONO;
    av_channel_layout_copy(&a->ch_layout, &mono);
    AVDictionary* options = nullptr;
    return c.open(c.audio, codec, &options);
}

bool VideoWriter::start() {
    Context& c = *context_;
    int rc = avformat_write_header(c.format, nullptr);
    if (rc < 0) return c.fail("cannot write " + c.path, rc);
    c.headerWritten = true;
    return true;
}

bool VideoWriter::writeVideo(const VideoFrame& source, const Image& picture,
                             const std::vector<cv::Rect>& changed) {
    Context& c = *context_;
    AVCodecContext* v = c.video.codec;
    const bool decodedFits = source.decoded && c.canPassThrough(*source.decoded);
    AVFrame* frame = nullptr;
    if (decodedFits && picture.sharesPixelsWith(source.image)) {
        frame = av_frame_clone(source.decoded->frame);
        // Captions and other per-frame extras of the source are not ours to re-emit.
        while (frame->nb_side_data > 0) av_frame_remove_side_data(frame, frame->side_data[0]->type);
        ++c.passedThrough;
    } else {
        if (picture.width() != v->width || picture.height() != v->height) {
            c.error = "the picture does not have the video's size";
            return false;
        }
        frame = av_frame_alloc();
        frame->format = v->pix_fmt;
        frame->width = v->width;
        frame->height = v->height;
        const bool byArea = decodedFits && !changed.empty() && !picture.isDeep() &&
                            v->pix_fmt == AV_PIX_FMT_YUV420P && worthConvertingByArea(changed, *v);
        AVPixelFormat packed = picture.isDeep() ? AV_PIX_FMT_RGBA64LE : AV_PIX_FMT_RGBA;
        bool ok = av_frame_get_buffer(frame, 0) >= 0;
        if (ok && byArea) {
            // The decoder's picture everywhere, the changed areas converted anew over it.
            ok = av_frame_copy(frame, source.decoded->frame) >= 0;
            const YuvPlanes planes{frame->data[0],     frame->linesize[0], frame->data[1],
                                   frame->linesize[1], frame->data[2],     frame->linesize[2]};
            if (ok)
                for (const cv::Rect& area : changed) rgbaAreaToYuv420(picture.pixels, area, planes);
            ++c.convertedByArea;
        } else if (ok) {
            ok = c.scaler.fromPacked(picture.pixels, packed, v->colorspace, frame);
        }
        if (!ok) {
            av_frame_free(&frame);
            c.error = "cannot convert the picture";
            return false;
        }
    }
    frame->pts = source.time.convertScale(c.settings.timescale).value;
    frame->pict_type = AV_PICTURE_TYPE_NONE;
    frame->color_primaries = v->color_primaries;
    frame->color_trc = v->color_trc;
    frame->colorspace = v->colorspace;
    frame->color_range = v->color_range;
    bool ok = c.encode(c.video, frame);
    av_frame_free(&frame);
    return ok;
}

bool VideoWriter::writeAudio(const AudioChunk& chunk) {
    Context& c = *context_;
    if (!c.audio.codec) return true;
    if (c.nextAudioSample == AV_NOPTS_VALUE) c.nextAudioSample = chunk.start;
    c.pendingAudio.insert(c.pendingAudio.end(), chunk.samples.begin(), chunk.samples.end());
    int frameSize = c.audio.codec->frame_size > 0 ? c.audio.codec->frame_size : 1024;
    while (int(c.pendingAudio.size()) >= frameSize)
        if (!c.encodeAudioFrame(frameSize)) return false;
    return true;
}

bool VideoWriter::finish() {
    Context& c = *context_;
    if (c.audio.codec) {
        if (!c.pendingAudio.empty() && !c.encodeAudioFrame(int(c.pendingAudio.size())))
            return false;
        if (!c.encode(c.audio, nullptr)) return false;
    }
    if (!c.encode(c.video, nullptr)) return false;
    int rc = av_write_trailer(c.format);
    if (rc < 0) return c.fail("cannot write " + c.path, rc);
    // Flush before declaring success: the last buffered bytes are written here, and a full
    // disk shows only in the context's error.
    avio_flush(c.format->pb);
    rc = c.format->pb->error;
    if (rc >= 0) rc = avio_closep(&c.format->pb);
    if (rc < 0) return c.fail("cannot write " + c.path, rc);
    avformat_free_context(c.format);
    c.format = nullptr;
    c.finished = true;
    return true;
}

bool VideoWriter::discard() {
    context_->finished = true;
    return context_->discard();
}

const std::string& VideoWriter::path() const {
    return context_->path;
}
const std::string& VideoWriter::error() const {
    return context_->error;
}
int64_t VideoWriter::passedThroughFrames() const {
    return context_->passedThrough;
}
int64_t VideoWriter::framesConvertedByArea() const {
    return context_->convertedByArea;
}
