#include "session/FrameCompositor.h"

void FrameCompositor::startVideoCompositionRequest(CompositionRequest& request) {
    const CompositionError failure{"VFViewCompositing", 0};
    auto tracks = request.sourceTrackIDs();
    if (tracks.empty()) return request.finishWithError(failure);
    auto source = request.sourceFrame(tracks.front());
    if (!source) return request.finishWithError(failure);
    auto output = request.newPixelBuffer();
    if (!output) return request.finishWithError(failure);
    renderFrame(*source, request.compositionTime(), *output,
                [&request](const Image& composed) { request.finish(composed); });
}

void FrameCompositor::renderFrame(const Image& source, const MediaTime&, const Image&,
                                  const Completion& completion) {
    completion(source);
}
