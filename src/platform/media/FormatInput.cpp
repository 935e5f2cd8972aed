#include "platform/media/FormatInput.h"

#include <algorithm>
#include <cstring>

#include "platform/media/FfmpegLogLevel.h"
#include "platform/media/FfmpegSupport.h"

namespace {

constexpr int IO_BUFFER_SIZE = 32 * 1024;

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

}  // namespace

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
    }
    int rc = avformat_open_input(&format, source.name.c_str(), nullptr, nullptr);
    if (rc >= 0) rc = avformat_find_stream_info(format, nullptr);
    if (rc < 0) return averrorText(rc);
    return {};
}
