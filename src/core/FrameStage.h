#pragma once
// One stage of the per-frame chain (background, faces, objects, shapes): it draws its edits
// over the picture the stages before it made. Each frame the chain hands every stage the same
// context, so no stage reads anything but its own published snapshot and what it is given.
//
// Threads: `render` is called on render threads (the preview's and the export's), any number
// at once; it reads only immutable snapshots.

#include <memory>
#include <optional>
#include <vector>

#include "core/RenderPurpose.h"
#include "core/SourceVideo.h"
#include "platform/image/Image.h"
#include "platform/time/MediaTime.h"

struct FrameContext {
    MediaTime time;
    // One frame of the source: 1 / its nominal rate, or 1/30 s while that is unknown.
    double frameDuration = 1.0 / 30;
    RenderPurpose purpose = RenderPurpose::preview;
    // The facts of the video the frame comes from; null while none is open.
    std::shared_ptr<const SourceVideo> source;
};

class FrameStage {
public:
    virtual ~FrameStage() = default;
    // `current` drawn over with this stage's edits, styled from `source` (the unedited frame).
    // `current` itself when the stage has nothing to draw; nothing when a step failed, which
    // drops every edit of the frame. The areas it changed are appended to `drawn` when given.
    virtual std::optional<Image> render(const Image& source, const Image& current,
                                        const FrameContext& context,
                                        std::vector<Rect>* drawn) const = 0;
};
