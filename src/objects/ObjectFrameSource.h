#pragma once
// Where a tracking pass gets its frames: upright pictures in 8-bit BGRA, reduced to fit a square
// of a given side, read forwards over a time range that can be reset to another range. The
// tracking passes use this seam so tests can hand them scripted frames.
//
// Threads: the pass that opened a source reads it; `cancel` may come from any thread and makes
// the current and every later `read` return `cancelled`.

#include <functional>
#include <memory>
#include <string>

#include "platform/media/VideoFrame.h"
#include "platform/media/VideoReader.h"
#include "platform/time/MediaTime.h"

class ObjectFrameSource {
public:
    virtual ~ObjectFrameSource() = default;
    // Starts reading the frames whose time lies in `range` (start included, end excluded);
    // false when the source cannot go there.
    virtual bool setRange(const MediaTimeRange& range) = 0;
    virtual ReadStatus read(VideoFrame& frame) = 0;
    virtual void cancel() = 0;
};

// Opens the first video track of a file; nothing when it cannot be opened.
using ObjectFrameSourceOpener =
    std::function<std::unique_ptr<ObjectFrameSource>(const std::string& path, int maxSide)>;

// The real source: the file decoded with VideoReader.
std::unique_ptr<ObjectFrameSource> openVideoFrameSource(const std::string& path, int maxSide);
