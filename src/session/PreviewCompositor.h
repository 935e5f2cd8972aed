#pragma once
// The editor's compositor: turns each source frame upright, fits it into the 1024 × 1024
// preview box (enlarging small videos), runs the edit state's filter chain and renders the
// result into the output buffer. Frames pass through untouched while the source facts are
// still loading. Render threads; holds no state between frames.

#include "session/FrameCompositor.h"

inline constexpr double PREVIEW_BOX_SIDE = 1024;

class EditSession;

class PreviewCompositor : public FrameCompositor {
public:
    // Renders `session`'s edits; the session outlives the compositor.
    explicit PreviewCompositor(const EditSession& session) : session_(session) {}

protected:
    void renderFrame(const Image& source, const MediaTime& time, const Image& output,
                     const Completion& completion) override;

private:
    const EditSession& session_;
};

// The preview size of a video of upright size `size`: fitted into the preview box.
Size previewRenderSize(Size size);
