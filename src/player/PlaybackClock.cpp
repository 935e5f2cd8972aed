#include "player/PlaybackClock.h"

void PlaybackClock::start(double mediaSeconds) {
    startSeconds_ = mediaSeconds;
    startedAt_ = now_();
    running_ = true;
}

void PlaybackClock::stop() {
    startSeconds_ = mediaSeconds();
    running_ = false;
}

double PlaybackClock::mediaSeconds() const {
    if (!running_) return startSeconds_;
    return startSeconds_ + std::chrono::duration<double>(now_() - startedAt_).count();
}

PlaybackClock::Clock::time_point PlaybackClock::whenAt(double mediaSeconds) const {
    if (!running_) return now_();
    auto ahead = std::chrono::duration<double>(mediaSeconds - startSeconds_);
    return startedAt_ + std::chrono::duration_cast<Clock::duration>(ahead);
}
