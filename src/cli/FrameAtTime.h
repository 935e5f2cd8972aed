#pragma once
// One frame of a video by time, for the commands that look at a single frame.

#include <optional>
#include <string>

#include "platform/media/VideoReader.h"

// The frame shown at `seconds`: the last one that starts at or before it (the first frame
// for earlier times, the last for later ones). Nothing, with `error` set, when none can be read.
std::optional<VideoFrame> frameAt(VideoReader& reader, double seconds, std::string& error);
