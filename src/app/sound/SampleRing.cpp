#include "app/sound/SampleRing.h"

#include <algorithm>
#include <cstring>

SampleRing::SampleRing(size_t capacity) : capacity_(capacity) {
    open(QIODevice::ReadOnly);
}

void SampleRing::clear() {
    std::lock_guard lock(mutex_);
    samples_.clear();
    read_ = 0;
}

size_t SampleRing::push(const float* samples, size_t count) {
    std::lock_guard lock(mutex_);
    const size_t taken = std::min(count, capacity_ - samples_.size());
    samples_.insert(samples_.end(), samples, samples + taken);
    return taken;
}

int64_t SampleRing::samplesRead() const {
    std::lock_guard lock(mutex_);
    return read_;
}

qint64 SampleRing::bytesAvailable() const {
    // Never dry: the device is given silence rather than told the stream ended.
    return qint64(capacity_ * sizeof(float)) + QIODevice::bytesAvailable();
}

qint64 SampleRing::readData(char* data, qint64 maxSize) {
    const size_t wanted = size_t(maxSize) / sizeof(float);
    std::lock_guard lock(mutex_);
    const size_t given = std::min(wanted, samples_.size());
    auto* out = reinterpret_cast<float*>(data);
    std::copy_n(samples_.begin(), given, out);
    samples_.erase(samples_.begin(), samples_.begin() + ptrdiff_t(given));
    std::fill(out + given, out + wanted, 0.0f);
    read_ += int64_t(given);
    return qint64(wanted * sizeof(float));
}
