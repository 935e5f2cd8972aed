#pragma once
// The sound between the player and the device: a bounded queue of mono float samples the
// player pushes and the device reads as a QIODevice, getting silence (not counted as played)
// when the queue has run dry. Threads: any; one lock guards the queue.

#include <QIODevice>
#include <cstdint>
#include <deque>
#include <mutex>

class SampleRing : public QIODevice {
    Q_OBJECT
public:
    explicit SampleRing(size_t capacity);
    // Drops what is queued and zeroes the count of samples read.
    void clear();
    // Queues as many of `samples` as fit; returns how many.
    size_t push(const float* samples, size_t count);
    // Samples the device has read (silence aside) since the last `clear`.
    int64_t samplesRead() const;

    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override;

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    const size_t capacity_;
    mutable std::mutex mutex_;
    std::deque<float> samples_;
    int64_t read_ = 0;
};
