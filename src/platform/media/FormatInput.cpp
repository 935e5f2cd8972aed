#include "platform/media/FormatInput.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include "platform/media/FfmpegLogLevel.h"
#include "platform/media/FfmpegSupport.h"

namespace {

constexpr int IO_BUFFER_SIZE = 32 * 1024;
// As much of a file's start as FFmpeg's own first probe looks at.
constexpr size_t PROBE_BYTES = 2048;

int readMemory(void* opaque, uint8_t* buffer, int size) {
    auto* m = static_cast<MemoryCursor*>(opaque);
    int64_t left = int64_t(m->bytes.size()) - m->position;
    if (left <= 0) return AVERROR_EOF;
    int count = int(std::min<int64_t>(size, left));
    std::memcpy(buffer, m->bytes.data() + m->position, size_t(count));
    m->position += count;
    return count;
}

int64_t seekMemory(void* opaque, int64_t offset, int whence) {
    auto* m = static_cast<MemoryCursor*>(opaque);
    int64_t size = int64_t(m->bytes.size());
    int64_t base = 0;
    switch (whence & ~AVSEEK_FORCE) {
        case AVSEEK_SIZE:
            return size;
        case SEEK_SET:
            break;
        case SEEK_CUR:
            base = m->position;
            break;
        case SEEK_END:
            base = size;
            break;
        default:
            return AVERROR(EINVAL);
    }
    // Offsets come from the file itself: checked before they are added, so none overflows.
    if (offset < -base || offset > size - base) return AVERROR(EINVAL);
    m->position = base + offset;
    return m->position;
}

// The first bytes of the source and its whole size; size -1 when the file cannot be read.
int64_t startOf(const MediaSource& source, std::vector<uint8_t>& head) {
    if (source.inMemory) {
        head.assign(source.bytes.begin(),
                    source.bytes.begin() + std::min(source.bytes.size(), PROBE_BYTES));
        return int64_t(source.bytes.size());
    }
    std::error_code ec;
    auto size = std::filesystem::file_size(source.name, ec);
    std::ifstream in(source.name, std::ios::binary);
    if (ec || !in) return -1;
    head.resize(PROBE_BYTES);
    in.read(reinterpret_cast<char*>(head.data()), std::streamsize(head.size()));
    head.resize(size_t(in.gcount()));
    return int64_t(size);
}

// Why the demuxer gave up on a source, in the user's words: an empty file, one whose start is a
// known container (so its index or data is cut or broken), or something else altogether.
std::string reasonFor(int rc, const MediaSource& source) {
    if (rc != AVERROR_INVALIDDATA && rc != AVERROR_EOF) return averrorText(rc);
    std::vector<uint8_t> head;
    int64_t size = startOf(source, head);
    if (size < 0) return averrorText(rc);
    if (size == 0) return "the file is empty";
    // The file's name is left out: only what it holds counts, not what it is called.
    size_t count = head.size();
    head.resize(count + AVPROBE_PADDING_SIZE, 0);
    AVProbeData probe{};
    probe.filename = "";
    probe.buf = head.data();
    probe.buf_size = int(count);
    int score = 0;
    if (av_probe_input_format3(&probe, 1, &score) && score > AVPROBE_SCORE_RETRY)
        return "the file is truncated or damaged";
    return "not a video Veilcut can read";
}

}  // namespace

// Playlists (HLS, DASH, concat lists) make the demuxer open the files they name. A video from
// someone else could so pull in the user's own videos, which an export would then carry away:
// the source itself is the only file opened.
int FormatInput::openOnlyTheSource(AVFormatContext* format, AVIOContext** io, const char* url,
                                   int flags, AVDictionary** options) {
    auto* input = static_cast<FormatInput*>(format->opaque);
    if (!input->path_.empty() && !format->pb && input->path_ == url)
        return input->defaultOpen_(format, io, url, flags, options);
    input->refused_ = true;
    return AVERROR(EPERM);
}

FormatInput::~FormatInput() {
    avformat_close_input(&format);
    if (io_) av_freep(&io_->buffer);
    avio_context_free(&io_);
}

std::string FormatInput::open(const MediaSource& source) {
    quietFfmpegLogs();
    format = avformat_alloc_context();
    if (!format) return averrorText(AVERROR(ENOMEM));
    if (source.inMemory) {
        memory_ = {source.bytes, 0};
        auto* buffer = static_cast<uint8_t*>(av_malloc(IO_BUFFER_SIZE));
        io_ = buffer ? avio_alloc_context(buffer, IO_BUFFER_SIZE, 0, &memory_, readMemory, nullptr,
                                          seekMemory)
                     : nullptr;
        if (!io_) {
            av_free(buffer);
            return averrorText(AVERROR(ENOMEM));
        }
        format->pb = io_;
    } else {
        path_ = source.name;
    }
    format->opaque = this;
    defaultOpen_ = format->io_open;
    format->io_open = openOnlyTheSource;
    int rc = avformat_open_input(&format, source.name.c_str(), nullptr, nullptr);
    if (rc >= 0) rc = avformat_find_stream_info(format, nullptr);
    if (refused_) return "the file lists other files (a playlist); open a video file itself";
    if (rc < 0) return reasonFor(rc, source);
    return {};
}
