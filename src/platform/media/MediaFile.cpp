#include "platform/media/MediaFile.h"

#include <algorithm>
#include <cmath>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/error.h>
#include <libavutil/pixdesc.h>
}

#include "platform/media/DisplayMatrix.h"
#include "platform/media/FfmpegSupport.h"
#include "platform/media/FormatInput.h"

struct MediaFile::Context : FormatInput {
    AVStream* stream(int index) const {
        if (index < 0 || index >= int(format->nb_streams)) return nullptr;
        return format->streams[index];
    }
};

const char* transferFunctionName(TransferFunction f) {
    switch (f) {
        case TransferFunction::unspecified: return "unspecified";
        case TransferFunction::bt709: return "BT.709";
        case TransferFunction::pq: return "PQ";
        case TransferFunction::hlg: return "HLG";
        case TransferFunction::itu2020: return "ITU-R 2020";
        case TransferFunction::other: return "other";
    }
    return "other";
}

namespace {

std::vector<int> streamsOfType(const AVFormatContext* format, AVMediaType type) {
    std::vector<int> indexes;
    for (unsigned i = 0; i < format->nb_streams; ++i)
        if (format->streams[i]->codecpar->codec_type == type &&
            !(format->streams[i]->disposition & AV_DISPOSITION_ATTACHED_PIC))
            indexes.push_back(int(i));
    return indexes;
}

}  // namespace

MediaFile::MediaFile(std::unique_ptr<Context> context) : context_(std::move(context)) {}
MediaFile::~MediaFile() = default;

std::unique_ptr<MediaFile> MediaFile::open(const MediaSource& source, std::string* error) {
    auto context = std::make_unique<Context>();
    if (std::string reason = context->open(source); !reason.empty()) {
        if (error) *error = source.name + ": " + reason;
        return nullptr;
    }
    return std::unique_ptr<MediaFile>(new MediaFile(std::move(context)));
}

std::optional<MediaTime> MediaFile::duration() const {
    std::optional<MediaTime> longest;
    for (unsigned i = 0; i < context_->format->nb_streams; ++i) {
        const AVStream* st = context_->format->streams[i];
        auto d = mediaTimeOf(st->duration, st->time_base);
        if (d && (!longest || *d > *longest)) longest = d;
    }
    if (!longest) {
        // Containers without per-stream durations only state the whole file's.
        int64_t d = context_->format->duration;
        if (d != AV_NOPTS_VALUE && d >= 0) longest = MediaTime(d, AV_TIME_BASE);
    }
    return longest;
}

std::vector<int> MediaFile::videoTracks() const {
    return streamsOfType(context_->format, AVMEDIA_TYPE_VIDEO);
}

std::vector<int> MediaFile::audioTracks() const {
    return streamsOfType(context_->format, AVMEDIA_TYPE_AUDIO);
}

std::optional<MediaTime> MediaFile::minFrameDuration(int track) const {
    AVStream* st = context_->stream(track);
    if (!st) return std::nullopt;
    // MP4 and MOV index every sample at open: the smallest step between decode times is exact
    // and costs no reading.
    int count = avformat_index_get_entries_count(st);
    int64_t smallest = 0;
    for (int i = 1; i < count; ++i) {
        int64_t step = avformat_index_get_entry(st, i)->timestamp -
                       avformat_index_get_entry(st, i - 1)->timestamp;
        if (step > 0 && (smallest == 0 || step < smallest)) smallest = step;
    }
    if (smallest > 0) return mediaTimeOf(smallest, st->time_base);
    AVRational rate = st->r_frame_rate.num > 0 ? st->r_frame_rate : st->avg_frame_rate;
    if (rate.num <= 0 || rate.den <= 0) return std::nullopt;
    return MediaTime(rate.den, rate.num);
}

std::optional<AffineTransform> MediaFile::preferredTransform(int track) const {
    const AVStream* st = context_->stream(track);
    if (!st) return std::nullopt;
    return displayMatrixOf(st).value_or(AffineTransform::identity());
}

std::optional<float> MediaFile::nominalFrameRate(int track) const {
    const AVStream* st = context_->stream(track);
    if (!st) return std::nullopt;
    AVRational rate = st->avg_frame_rate.num > 0 ? st->avg_frame_rate : st->r_frame_rate;
    if (rate.num <= 0 || rate.den <= 0) return std::nullopt;
    return float(av_q2d(rate));
}

std::optional<Size> MediaFile::naturalSize(int track) const {
    const AVStream* st = context_->stream(track);
    if (!st || st->codecpar->width <= 0 || st->codecpar->height <= 0) return std::nullopt;
    return Size{double(st->codecpar->width), double(st->codecpar->height)};
}

std::optional<TransferFunction> MediaFile::transferFunction(int track) const {
    const AVStream* st = context_->stream(track);
    if (!st || st->codecpar->codec_type != AVMEDIA_TYPE_VIDEO) return std::nullopt;
    switch (knownTag(st->codecpar->color_trc, AVCOL_TRC_NB, AVCOL_TRC_UNSPECIFIED)) {
        case AVCOL_TRC_UNSPECIFIED: return TransferFunction::unspecified;
        case AVCOL_TRC_BT709: return TransferFunction::bt709;
        case AVCOL_TRC_SMPTE2084: return TransferFunction::pq;
        case AVCOL_TRC_ARIB_STD_B67: return TransferFunction::hlg;
        case AVCOL_TRC_BT2020_10:
        case AVCOL_TRC_BT2020_12: return TransferFunction::itu2020;
        default: return TransferFunction::other;
    }
}

std::optional<double> MediaFile::bitRate(int track) const {
    const AVStream* st = context_->stream(track);
    if (!st || st->codecpar->bit_rate <= 0) return std::nullopt;
    return double(st->codecpar->bit_rate);
}

std::optional<StreamInfo> MediaFile::streamInfo(int track) const {
    const AVStream* st = context_->stream(track);
    if (!st) return std::nullopt;
    const AVCodecParameters* p = st->codecpar;
    auto text = [](const char* name) { return std::string(name ? name : ""); };
    StreamInfo info;
    info.codec = text(avcodec_get_name(p->codec_id));
    info.profile = text(avcodec_profile_name(p->codec_id, p->profile));
    char tag[AV_FOURCC_MAX_STRING_SIZE] = {};
    if (p->codec_tag) info.codecTag = av_fourcc_make_string(tag, p->codec_tag);
    if (p->codec_type == AVMEDIA_TYPE_VIDEO) {
        info.pixelFormat = text(av_get_pix_fmt_name(AVPixelFormat(p->format)));
        info.primaries = text(av_color_primaries_name(
            knownTag(p->color_primaries, AVCOL_PRI_NB, AVCOL_PRI_UNSPECIFIED)));
        info.transfer = text(
            av_color_transfer_name(knownTag(p->color_trc, AVCOL_TRC_NB, AVCOL_TRC_UNSPECIFIED)));
        info.matrix = text(
            av_color_space_name(knownTag(p->color_space, AVCOL_SPC_NB, AVCOL_SPC_UNSPECIFIED)));
        info.width = p->width;
        info.height = p->height;
        info.hasDisplayMatrix = displayMatrixOf(st).has_value();
    }
    info.channels = p->ch_layout.nb_channels;
    info.sampleRate = p->sample_rate;
    return info;
}

std::vector<MediaTime> MediaFile::presentationTimes(int track) {
    std::vector<MediaTime> times;
    AVStream* st = context_->stream(track);
    if (!st || av_seek_frame(context_->format, -1, 0, AVSEEK_FLAG_BACKWARD) < 0) return times;
    AVPacket* packet = av_packet_alloc();
    while (av_read_frame(context_->format, packet) >= 0) {
        if (packet->stream_index == track)
            if (auto t = mediaTimeOf(packet->pts, st->time_base)) times.push_back(*t);
        av_packet_unref(packet);
    }
    av_packet_free(&packet);
    std::sort(times.begin(), times.end());
    return times;
}
