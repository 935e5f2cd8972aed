#include "app/sound/SystemAudioOutput.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QMediaDevices>
#include <QMetaObject>
#include <algorithm>

#include "app/sound/SampleRing.h"

namespace {

// A quarter second queued ahead: enough to ride out a busy player thread, little enough that
// a pause or seek is heard at once.
constexpr double QUEUED_SECONDS = 0.25;
constexpr int MAX_RATE = 192000;

QAudioFormat monoFloat(int sampleRate) {
    QAudioFormat format;
    format.setSampleRate(sampleRate);
    format.setChannelCount(1);
    format.setSampleFormat(QAudioFormat::Float);
    return format;
}

}  // namespace

std::shared_ptr<SystemAudioOutput> SystemAudioOutput::forDefaultDevice() {
    if (QMediaDevices::defaultAudioOutput().isNull()) return nullptr;
    return std::shared_ptr<SystemAudioOutput>(new SystemAudioOutput());
}

SystemAudioOutput::SystemAudioOutput()
    : ring_(std::make_unique<SampleRing>(size_t(QUEUED_SECONDS * MAX_RATE))) {}

SystemAudioOutput::~SystemAudioOutput() {
    if (sink_) sink_->stop();
}

bool SystemAudioOutput::start(int sampleRate) {
    if (sampleRate <= 0 || sampleRate > MAX_RATE) return false;
    if (!QMediaDevices::defaultAudioOutput().isFormatSupported(monoFloat(sampleRate))) return false;
    ring_->clear();
    // The device belongs to the GUI thread; the player never waits for it to start.
    QMetaObject::invokeMethod(
        this, [this, sampleRate] { startDevice(sampleRate); }, Qt::QueuedConnection);
    return true;
}

void SystemAudioOutput::startDevice(int sampleRate) {
    if (!sink_ || sinkRate_ != sampleRate) {
        if (sink_) sink_->stop();
        sink_ = std::make_unique<QAudioSink>(QMediaDevices::defaultAudioOutput(),
                                             monoFloat(sampleRate));
        sink_->setBufferSize(int(sampleRate * sizeof(float) / 10));
        sinkRate_ = sampleRate;
    }
    if (sink_->state() == QAudio::ActiveState || sink_->state() == QAudio::IdleState) return;
    sink_->start(ring_.get());
    bufferedByDevice_ = sink_->bufferSize() / int64_t(sizeof(float));
}

size_t SystemAudioOutput::write(const float* samples, size_t count) {
    return ring_->push(samples, count);
}

int64_t SystemAudioOutput::playedSamples() const {
    return std::max<int64_t>(0, ring_->samplesRead() - bufferedByDevice_.load());
}

void SystemAudioOutput::stop() {
    ring_->clear();
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (sink_) sink_->stop();
        },
        Qt::QueuedConnection);
}
