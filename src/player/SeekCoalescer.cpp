#include "player/SeekCoalescer.h"

#include <utility>

namespace {

void complete(const SeekCoalescer::Completion& completion, bool finished) {
    if (completion) completion(finished);
}

}  // namespace

std::optional<MediaTime> SeekCoalescer::request(const MediaTime& target, Completion completion) {
    if (!inFlight_) {
        inFlight_ = target;
        answered_.push_back(std::move(completion));
        return target;
    }
    latest_ = target;
    Completion superseded = std::exchange(latestCompletion_, std::move(completion));
    complete(superseded, false);
    return std::nullopt;
}

std::optional<MediaTime> SeekCoalescer::seekEnded() {
    if (!inFlight_) return std::nullopt;
    const MediaTime reached = *std::exchange(inFlight_, std::nullopt);
    std::vector<Completion> answered = std::exchange(answered_, {});
    std::optional<MediaTime> next;
    if (latest_) {
        Completion waiting = std::exchange(latestCompletion_, {});
        if (latest_->seconds() != reached.seconds()) {
            next = latest_;
            inFlight_ = latest_;
            answered_.push_back(std::move(waiting));
        } else {
            answered.push_back(std::move(waiting));
        }
        latest_.reset();
    }
    for (const Completion& completion : answered) complete(completion, true);
    return next;
}
