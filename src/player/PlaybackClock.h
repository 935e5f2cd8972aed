#pragma once
// Where playback is in the video: the media time it started from plus the time that has run
// since. Stopped, it stays where it was. The time source is injectable so that tests can step it.
//
// Threads: one thread at a time (the player's).

#include <chrono>
#include <functional>

#include "platform/time/MediaTime.h"

class PlaybackClock {
public:
    using Clock = std::chrono::steady_clock;
    using Now = std::function<Clock::time_point()>;

    explicit PlaybackClock(Now now = &Clock::now) : now_(std::move(now)) {}

    // Runs from `mediaSeconds` on.
    void start(double mediaSeconds);
    void stop();
    bool isRunning() const { return running_; }
    // The media time now, in seconds.
    double mediaSeconds() const;
    // When the clock reaches `mediaSeconds` (now, for a time already past or a stopped clock).
    Clock::time_point whenAt(double mediaSeconds) const;

private:
    Now now_;
    bool running_ = false;
    double startSeconds_ = 0;
    Clock::time_point startedAt_;
};
