#pragma once
// The preview's sound on the system's default output device, through Qt Multimedia. The player
// writes samples into a small ring from its own thread; the device pulls them from there, so
// neither ever waits on the other. What the device has played is counted from what it pulled,
// less the device's own buffer.
//
// Threads: made, and the device driven, on the GUI thread; the AudioOutput operations are the
// player's thread's.

#include <QObject>
#include <atomic>
#include <memory>
#include <mutex>

#include "player/AudioOutput.h"

class QAudioSink;
class SampleRing;

class SystemAudioOutput : public QObject, public AudioOutput {
    Q_OBJECT
public:
    // Nothing when the system has no output device (a server, a CI machine).
    static std::shared_ptr<SystemAudioOutput> forDefaultDevice();
    ~SystemAudioOutput() override;

    bool start(int sampleRate) override;
    size_t write(const float* samples, size_t count) override;
    int64_t playedSamples() const override;
    void stop() override;

private:
    SystemAudioOutput();
    // GUI thread: (re)starts the device pulling from the ring at `sampleRate`.
    void startDevice(int sampleRate);

    std::unique_ptr<SampleRing> ring_;
    std::unique_ptr<QAudioSink> sink_;  // GUI thread only
    int sinkRate_ = 0;                  // GUI thread only
    std::atomic<int64_t> bufferedByDevice_{0};
};
