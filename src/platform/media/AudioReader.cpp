#include "platform/media/AudioReader.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/samplefmt.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <cmath>

#include "platform/log/Log.h"
#include "platform/media/FfmpegSupport.h"
#include "platform/media/StreamInput.h"

namespace {

// A damaged packet longer than this is taken to have a damaged duration as well; it is dropped
// without silence rather than holding up the audio (and memory) for its claimed length.
constexpr int MAX_CONCEALED_SECONDS = 10;

// Decoders may leave the channel order unstated: such a layout is the usual one of its count.
AVChannelLayout stated(const AVChannelLayout& layout) {
    AVChannelLayout copy{};
    if (layout.order == AV_CHANNEL_ORDER_UNSPEC)
        av_channel_layout_default(&copy, layout.nb_channels);
    else
        av_channel_layout_copy(&copy, &layout);
    return copy;
}

}  // namespace

struct AudioReader::Context : StreamInput {
    std::string name;
    SwrContext* resampler = nullptr;
    // What the resampler takes: the decoder's frames as they come, which may change midway.
    AVChannelLayout inLayout{};
    AVSampleFormat inFormat = AV_SAMPLE_FMT_NONE;
    int inRate = 0;
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    int sampleRate = 0;
    int64_t nextSample = AV_NOPTS_VALUE;
    int64_t firstWanted = INT64_MIN;  // samples before it (after a seek) are dropped
    bool flushed = false;
    bool concealed = false;
    std::string error;

    ~Context() {
        swr_free(&resampler);
        av_channel_layout_uninit(&inLayout);
        av_frame_free(&frame);
        av_packet_free(&packet);
    }

    void startAt(int64_t pts) {
        if (nextSample != AV_NOPTS_VALUE) return;
        nextSample = pts == AV_NOPTS_VALUE
                         ? 0
                         : av_rescale_q(pts, stream->time_base, AVRational{1, sampleRate});
    }

    // Silence in place of a packet the decoder refused, as long as the packet plays, so the audio
    // after it keeps its place; players do the same. Said once per reader, not per packet.
    bool conceal(const AVPacket* lost, AudioChunk& chunk) {
        if (!concealed) logWarning(name + ": damaged audio replaced with silence");
        concealed = true;
        chunk.samples.clear();
        startAt(lost->pts);
        int64_t count = lost->duration > 0
                            ? av_rescale_q(lost->duration, stream->time_base, AVRational{1, inRate})
                            : decoder->frame_size;
        if (count <= 0 || count > int64_t(inRate) * MAX_CONCEALED_SECONDS) return true;
        // Silence as the resampler takes it now, so it fits whatever came before.
        frame->format = inFormat;
        frame->nb_samples = int(count);
        frame->sample_rate = inRate;
        bool ok = av_channel_layout_copy(&frame->ch_layout, &inLayout) >= 0 &&
                  av_frame_get_buffer(frame, 0) >= 0;
        if (ok) {
            av_samples_set_silence(frame->extended_data, 0, frame->nb_samples,
                                   frame->ch_layout.nb_channels, inFormat);
            ok = resample(frame, chunk);
        }
        av_frame_unref(frame);
        return ok;
    }

    ReadStatus fail(const std::string& what, int rc) {
        error = what + ": " + averrorText(rc);
        return ReadStatus::failed;
    }

    // Sets the resampler up for frames of `layout`, `format` and `rate`.
    int configure(const AVChannelLayout& layout, AVSampleFormat format, int rate) {
        swr_free(&resampler);
        av_channel_layout_uninit(&inLayout);
        inLayout = stated(layout);
        inFormat = format;
        inRate = rate;
        AVChannelLayout mono = AV_CHANNEL_LAYOUT_MONO;
        int rc = swr_alloc_set_opts2(&resampler, &mono, AV_SAMPLE_FMT_FLT, sampleRate, &inLayout,
                                     inFormat, inRate, 0, nullptr);
        return rc < 0 ? rc : swr_init(resampler);
    }

    // Resamples `input` (or, with none, what the resampler still holds) into `chunk`.
    bool resample(const AVFrame* input, AudioChunk& chunk) {
        chunk.samples.clear();
        chunk.start = nextSample;
        if (input) {
            // The resampler reads as many planes as it was set up for: a stream that changes its
            // channels or format midway (each AAC frame may) is resampled anew from there.
            AVChannelLayout layout = stated(input->ch_layout);
            bool same = input->format == inFormat && input->sample_rate == inRate &&
                        av_channel_layout_compare(&layout, &inLayout) == 0;
            av_channel_layout_uninit(&layout);
            if (!same && (!convert(nullptr, chunk) ||
                          configure(input->ch_layout, AVSampleFormat(input->format),
                                    input->sample_rate) < 0))
                return false;
        }
        return convert(input, chunk);
    }

    // Appends the resampled `input` (or, with none, what the resampler holds) to `chunk`.
    bool convert(const AVFrame* input, AudioChunk& chunk) {
        int inCount = input ? input->nb_samples : 0;
        int room = swr_get_out_samples(resampler, inCount);
        if (room < 0) return false;
        size_t had = chunk.samples.size();
        chunk.samples.resize(had + size_t(room));
        auto* out = reinterpret_cast<uint8_t*>(chunk.samples.data() + had);
        int made = swr_convert(resampler, &out, room,
                               input ? const_cast<const uint8_t**>(input->extended_data) : nullptr,
                               inCount);
        if (made < 0) return false;
        chunk.samples.resize(had + size_t(made));
        nextSample += made;
        return true;
    }

    // Cuts the samples before `firstWanted` from the front of `chunk`.
    void dropUnwanted(AudioChunk& chunk) const {
        if (chunk.start >= firstWanted) return;
        auto drop =
            size_t(std::min<int64_t>(firstWanted - chunk.start, int64_t(chunk.samples.size())));
        chunk.samples.erase(chunk.samples.begin(), chunk.samples.begin() + ptrdiff_t(drop));
        chunk.start += int64_t(drop);
    }
};

AudioReader::AudioReader(std::unique_ptr<Context> context) : context_(std::move(context)) {}
AudioReader::~AudioReader() = default;

std::unique_ptr<AudioReader> AudioReader::open(const MediaSource& source, int track, int sampleRate,
                                               std::string* error) {
    auto c = std::make_unique<Context>();
    c->name = source.name;
    c->sampleRate = sampleRate;
    std::string reason = c->open(source, AVMEDIA_TYPE_AUDIO, track);
    auto fail = [&](const std::string& why) {
        if (error) *error = source.name + ": " + why;
        return nullptr;
    };
    if (!reason.empty()) return fail(reason);
    int rc = c->configure(c->decoder->ch_layout, c->decoder->sample_fmt, c->decoder->sample_rate);
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
            c.startAt(c.frame->best_effort_timestamp);
            bool ok = c.resample(c.frame, chunk);
            av_frame_unref(c.frame);
            if (!ok) return c.fail("cannot resample the audio", AVERROR(EINVAL));
            c.dropUnwanted(chunk);
            if (!chunk.samples.empty()) return ReadStatus::frame;
            continue;
        }
        if (rc == AVERROR_EOF) {
            if (c.flushed || c.nextSample == AV_NOPTS_VALUE) return ReadStatus::end;
            c.flushed = true;
            if (!c.resample(nullptr, chunk)) return c.fail("cannot resample the audio", -1);
            c.dropUnwanted(chunk);
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
        // A damaged audio packet costs its own span only, not the whole export; running out of
        // memory is no damage.
        if (rc < 0 && rc != AVERROR(EAGAIN) && rc != AVERROR(ENOMEM)) {
            bool ok = c.conceal(c.packet, chunk);
            av_packet_unref(c.packet);
            if (!ok) return c.fail("cannot resample the audio", AVERROR(EINVAL));
            c.dropUnwanted(chunk);
            if (!chunk.samples.empty()) return ReadStatus::frame;
            continue;
        }
        av_packet_unref(c.packet);
        if (rc < 0 && rc != AVERROR(EAGAIN)) return c.fail("cannot decode the audio", rc);
    }
}

bool AudioReader::seek(double seconds) {
    Context& c = *context_;
    const int64_t target = int64_t(std::llround(seconds * c.sampleRate));
    const int64_t timestamp =
        av_rescale_q(target, AVRational{1, c.sampleRate}, c.stream->time_base);
    if (av_seek_frame(c.format, c.stream->index, timestamp, AVSEEK_FLAG_BACKWARD) < 0) return false;
    avcodec_flush_buffers(c.decoder);
    // What the resampler still holds belongs to the old position.
    swr_close(c.resampler);
    if (swr_init(c.resampler) < 0) return false;
    c.nextSample = AV_NOPTS_VALUE;
    c.firstWanted = target;
    c.flushed = false;
    return true;
}

const std::string& AudioReader::error() const {
    return context_->error;
}
