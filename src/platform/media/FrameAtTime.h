#pragma once
// One frame of a video by time: for the commands that look at a single frame, and for the
// preview's exact seeks.

#include <functional>
#include <optional>
#include <string>

#include "platform/media/VideoReader.h"

// The frame shown at `seconds`: the last one that starts at or before it (the first frame
// for earlier times, the last for later ones). Nothing, with `error` set, when none can be read.
// The frame after it, read to know where the shown one ends, goes to `following` when given
// (left empty at the end of the video), so that playing on from there loses no frame.
// `onKeyFrame`, when given, first gets the key frame decoding starts from, when that is well
// before the frame shown: something to show while the rest is decoded.
std::optional<VideoFrame> frameAt(VideoReader& reader, double seconds, std::string& error,
                                  std::optional<VideoFrame>* following = nullptr,
                                  const std::function<void(const VideoFrame&)>& onKeyFrame = {});
