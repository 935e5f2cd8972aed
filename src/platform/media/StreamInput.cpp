#include "platform/media/StreamInput.h"

#include "platform/media/FfmpegLogLevel.h"
#include "platform/media/FfmpegSupport.h"

namespace {

constexpr int DECODER_THREADS = 2;

}  // namespace

StreamInput::~StreamInput() {
    avcodec_free_context(&decoder);
    avformat_close_input(&format);
}

std::string StreamInput::open(const std::string& path, AVMediaType type, int index) {
    quietFfmpegLogs();
    int rc = avformat_open_input(&format, path.c_str(), nullptr, nullptr);
    if (rc >= 0) rc = avformat_find_stream_info(format, nullptr);
    if (rc < 0) return averrorText(rc);
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
    if ((rc = avcodec_open2(decoder, codec, nullptr)) < 0) return averrorText(rc);
    return {};
}
