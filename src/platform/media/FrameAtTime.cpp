#include "platform/media/FrameAtTime.h"

#include <algorithm>

std::optional<VideoFrame> frameAt(VideoReader& reader, double seconds, std::string& error,
                                  std::optional<VideoFrame>* following) {
    MediaTimeRange track = reader.trackRange();
    int32_t scale = reader.timescale();
    // Start a little early so the frame that covers `seconds` is read too.
    MediaTime from = MediaTime::fromSeconds(std::max(0.0, seconds - 1.0), scale);
    if (from > track.end()) from = track.start;
    if (!reader.setRange({from, track.end() - from})) {
        error = "cannot seek to " + std::to_string(seconds) + " s";
        return std::nullopt;
    }
    std::optional<VideoFrame> shown;
    VideoFrame frame;
    if (following) following->reset();
    for (;;) {
        ReadStatus status = reader.read(frame);
        if (status != ReadStatus::frame) {
            if (!shown) error = reader.error().empty() ? "no frame at that time" : reader.error();
            return shown;
        }
        if (shown && frame.time.seconds() > seconds) {
            if (following) *following = frame;
            return shown;
        }
        shown = frame;
    }
}
