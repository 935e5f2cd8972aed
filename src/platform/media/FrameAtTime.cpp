#include "platform/media/FrameAtTime.h"

#include <cmath>
#include <utility>

namespace {

enum class Found { shown, tooLate, none };

// Reads from `from` on: the last frame starting at or before `seconds` into `shown` (and the one
// after it into `following`). `tooLate` when the first frame read already starts after it.
Found readFrom(VideoReader& reader, const MediaTime& from, double seconds,
               std::optional<VideoFrame>& shown, std::optional<VideoFrame>* following,
               const std::function<void(const VideoFrame&)>& onKeyFrame) {
    MediaTimeRange track = reader.trackRange();
    shown.reset();
    if (following) following->reset();
    if (!reader.setRange({from, track.end() - from}, bool(onKeyFrame))) return Found::none;
    VideoFrame frame;
    for (;;) {
        if (reader.read(frame) != ReadStatus::frame) return shown ? Found::shown : Found::none;
        if (onKeyFrame && frame.time < from) {
            onKeyFrame(frame);
            continue;
        }
        if (frame.time.seconds() > seconds) {
            if (!shown) {
                shown = frame;
                return Found::tooLate;
            }
            if (following) *following = frame;
            return Found::shown;
        }
        shown = frame;
    }
}

}  // namespace

std::optional<VideoFrame> frameAt(VideoReader& reader, double seconds, std::string& error,
                                  std::optional<VideoFrame>* following,
                                  const std::function<void(const VideoFrame&)>& onKeyFrame) {
    const MediaTimeRange track = reader.trackRange();
    // Frames before the range are decoded but never converted, so a range that starts just
    // before `seconds` costs least; a frame that started earlier than that (a slow slideshow,
    // or a time after the end) is found by starting further back.
    std::optional<VideoFrame> shown;
    bool firstTry = true;
    for (double margin : {0.25, 2.0, 30.0, HUGE_VAL}) {
        const bool atStart = seconds - margin <= track.start.seconds();
        MediaTime from =
            atStart ? track.start : MediaTime::fromSeconds(seconds - margin, reader.timescale());
        // Only the first, nearest try shows a key frame: a later one starts further back.
        Found found = readFrom(reader, from, seconds, shown, following,
                               std::exchange(firstTry, false) ? onKeyFrame : nullptr);
        if (found == Found::shown) return shown;
        if (found == Found::tooLate && atStart) {
            // Before the first frame: the first frame, and playing goes on after it.
            VideoFrame next;
            if (following && reader.read(next) == ReadStatus::frame) *following = next;
            return shown;
        }
        if (atStart || !reader.error().empty()) break;
    }
    error = reader.error().empty() ? "no frame at that time" : reader.error();
    return std::nullopt;
}
