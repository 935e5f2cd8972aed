#include "platform/media/StreamInput.h"

#include "platform/media/FfmpegSupport.h"

namespace {

constexpr int DECODER_THREADS = 2;

}  // namespace

StreamInput::~StreamInput() {
    avcodec_free_context(&decoder);
}

std::string StreamInput::open(const MediaSource& source, AVMediaType type, int index) {
    if (std::string reason = FormatInput::open(source); !reason.empty()) return reason;
    for (unsigned i = 0; i < format->nb_streams && index < 0; ++i) {
        const AVStream* st = format->streams[i];
        if (st->codecpar->codec_type == type && !(st->disposition & AV_DISPOSITION_ATTACHED_PIC))
            index = int(i);
    }
    const char* kind = type == AVMEDIA_TYPE_VIDEO ? "video" : "audio";
    if (index < 0 || index >= int(format->nb_streams) ||
        format->streams[index]->codecpar->codec_type != type)
        return std::string("no ") + kind + " track";
    stream = format->streams[index];
    for (unsigned i = 0; i < format->nb_streams; ++i)
        if (int(i) != index) format->streams[i]->discard = AVDISCARD_ALL;
    const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
    if (!codec) return std::string("no decoder for the ") + kind;
    decoder = avcodec_alloc_context3(codec);
    avcodec_parameters_to_context(decoder, stream->codecpar);
    // The decoder is one of several stages running at once; each more frame thread holds
    // frames of its own (about 120 MB at 4K) and decoded no faster here.
    decoder->thread_count = DECODER_THREADS;
    decoder->pkt_timebase = stream->time_base;
    if (int rc = avcodec_open2(decoder, codec, nullptr); rc < 0) return averrorText(rc);
    return {};
}
