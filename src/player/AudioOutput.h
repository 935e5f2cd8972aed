#pragma once
// Where the preview's sound goes: a device stream of mono float samples that the player fills
// without ever waiting on it. The editor implements it with the system's audio output; the
// player's clock follows what the device has played, so the pictures keep to the sound.
//
// Threads: the player's thread calls every operation.

#include <cstddef>
#include <cstdint>

class AudioOutput {
public:
    virtual ~AudioOutput() = default;
    // Starts a fresh stream at `sampleRate`, nothing buffered; false when there is no device.
    virtual bool start(int sampleRate) = 0;
    // Buffers as many of `samples` as fit now; returns how many it took.
    virtual size_t write(const float* samples, size_t count) = 0;
    // Samples played by the device since `start`.
    virtual int64_t playedSamples() const = 0;
    // Stops at once, dropping what is buffered.
    virtual void stop() = 0;
};
