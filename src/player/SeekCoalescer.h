#pragma once
// The preview's seek rules: at most one seek in flight. A request while one is in flight only
// becomes the latest target; when the seek in flight ends, the latest target is sought next if
// its seconds differ from the ones just reached. So dragging the timeline costs one seek at a
// time and always ends on the last position. Every request gets exactly one completion:
// `true` once a seek has shown its target, `false` when a later request took its place first.
//
// Threads: main thread; completions are called synchronously from `request` and `seekEnded`,
// after the coalescer's own state has changed (they may request again).

#include <functional>
#include <optional>
#include <vector>

#include "platform/time/MediaTime.h"

class SeekCoalescer {
public:
    using Completion = std::function<void(bool finished)>;

    // Records `target`; returns it when it is to be sought now (nothing was in flight).
    std::optional<MediaTime> request(const MediaTime& target, Completion completion = {});
    // The seek in flight has ended; returns the next target to seek, if any.
    std::optional<MediaTime> seekEnded();
    bool isBusy() const { return inFlight_.has_value(); }

private:
    std::optional<MediaTime> inFlight_;
    std::vector<Completion> answered_;  // by the seek in flight
    std::optional<MediaTime> latest_;   // requested while busy, not yet sought
    Completion latestCompletion_;
};
