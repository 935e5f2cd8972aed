#include "platform/media/AudioReader.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswresample/swresample.h>
}

#include "platform/media/FfmpegSupport.h"
#include "platform/media/StreamInput.h"

struct AudioReader::Context : StreamInput {
    SwrContext* resampler = nullptr;
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    int sampleRate = 0;
    int64_t nextSample = AV_NOPTS_VALUE;
    bool flushed = false;
    std::string error;

    ~Context() {
        swr_free(&resampler);
        av_frame_free(&frame);
        av_packet_free(&packet);
    }

    ReadStatus fail(const std::string& what, int rc) {
        error = what + ": " + averrorText(rc);
        return ReadStatus::failed;
    }

    // Resamples `input` (or, with none, what the resampler still holds) into `chunk`.
    bool resample(const AVFrame* input, AudioChunk& chunk) {
        int inCount = input ? input->nb_samples : 0;
        int room = swr_get_out_samples(resampler, inCount);
        if (room < 0) return false;
        chunk.samples.resize(size_t(room));
        auto* out = reinterpret_cast<uint8_t*>(chunk.samples.data());
        int made = swr_convert(resampler, &out, room,
                               input ? const_cast<const uint8_t**>(input->extended_data) : nullptr,
                               inCount);
        if (made < 0) return false;
        chunk.samples.resize(size_t(made));
        chunk.start = nextSample;
        nextSample += made;
        return true;
    }
};

AudioReader::AudioReader(std::unique_ptr<Context> context) : context_(std::move(context)) {}
AudioReader::~AudioReader() = default;

std::unique_ptr<AudioReader> AudioReader::open(const MediaSource& source, int track, int sampleRate,
                                               std::string* error) {
    auto c = std::make_unique<Context>();
    c->sampleRate = sampleRate;
    std::string reason = c->open(source, AVMEDIA_TYPE_AUDIO, track);
    auto fail = [&](const std::string& why) {
        if (error) *error = source.name + ": " + why;
        return nullptr;
    };
    if (!reason.empty()) return fail(reason);
    if (c->decoder->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
        av_channel_layout_default(&c->decoder->ch_layout, c->decoder->ch_layout.nb_channels);
    AVChannelLayout mono = AV_CHANNEL_LAYOUT_MONO;
    int rc = swr_alloc_set_opts2(&c->resampler, &mono, AV_SAMPLE_FMT_FLT, sampleRate,
                                 &c->decoder->ch_layout, c->decoder->sample_fmt,
                                 c->decoder->sample_rate, 0, nullptr);
    if (rc >= 0) rc = swr_init(c->resampler);
    if (rc < 0) return fail("cannot resample the audio: " + averrorText(rc));
    return std::unique_ptr<AudioReader>(new AudioReader(std::move(c)));
}

int AudioReader::sampleRate() const {
    return context_->sampleRate;
}

ReadStatus AudioReader::read(AudioChunk& chunk) {
    Context& c = *context_;
    for (;;) {
        if (cancelled_.load(std::memory_order_relaxed)) return ReadStatus::cancelled;
        int rc = avcodec_receive_frame(c.decoder, c.frame);
        if (rc == 0) {
            if (c.nextSample == AV_NOPTS_VALUE) {
                int64_t pts = c.frame->best_effort_timestamp;
                c.nextSample = pts == AV_NOPTS_VALUE ? 0
                                                     : av_rescale_q(pts, c.stream->time_base,
                                                                    AVRational{1, c.sampleRate});
            }
            bool ok = c.resample(c.frame, chunk);
            av_frame_unref(c.frame);
            if (!ok) return c.fail("cannot resample the audio", AVERROR(EINVAL));
            if (!chunk.samples.empty()) return ReadStatus::frame;
            continue;
        }
        if (rc == AVERROR_EOF) {
            if (c.flushed || c.nextSample == AV_NOPTS_VALUE) return ReadStatus::end;
            c.flushed = true;
            if (!c.resample(nullptr, chunk)) return c.fail("cannot resample the audio", -1);
            return chunk.samples.empty() ? ReadStatus::end : ReadStatus::frame;
        }
        if (rc != AVERROR(EAGAIN)) return c.fail("cannot decode the audio", rc);
        rc = av_read_frame(c.format, c.packet);
        if (rc == AVERROR_EOF) {
            avcodec_send_packet(c.decoder, nullptr);
            continue;
        }
        if (rc < 0) return c.fail("cannot read the audio", rc);
        if (c.packet->stream_index == c.stream->index)
            rc = avcodec_send_packet(c.decoder, c.packet);
        av_packet_unref(c.packet);
        // A damaged audio packet is skipped rather than ending the whole export.
        if (rc < 0 && rc != AVERROR(EAGAIN) && rc != AVERROR_INVALIDDATA)
            return c.fail("cannot decode the audio", rc);
    }
}

const std::string& AudioReader::error() const {
    return context_->error;
}
