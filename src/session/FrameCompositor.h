#pragma once
// A video compositor: the preview player hands it one request per frame it needs and gets back
// the finished frame. `FrameCompositor` fetches the source frame and an output buffer and calls
// the overridable `renderFrame`; the base shows the source untouched.
//
// Threads: the player's render threads call `startVideoCompositionRequest`; it renders
// synchronously and finishes the request before returning, so nothing is ever pending.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/image/Image.h"
#include "platform/time/MediaTime.h"

struct CompositionError {
    std::string domain;
    int code = 0;
    friend bool operator==(const CompositionError&, const CompositionError&) = default;
};

// One frame the player asks for. The player implements it.
class CompositionRequest {
public:
    virtual ~CompositionRequest() = default;
    virtual std::vector<int> sourceTrackIDs() const = 0;
    virtual std::optional<Image> sourceFrame(int trackID) const = 0;
    // A fresh buffer from the render context, at the composition's render size.
    virtual std::optional<Image> newPixelBuffer() const = 0;
    virtual MediaTime compositionTime() const = 0;
    virtual void finish(const Image& composed) = 0;
    virtual void finishWithError(const CompositionError& error) = 0;
};

class FrameCompositor {
public:
    using Completion = std::function<void(const Image&)>;
    virtual ~FrameCompositor() = default;

    void renderContextChanged() {}
    void cancelAllPendingVideoCompositionRequests() {}
    void startVideoCompositionRequest(CompositionRequest& request);

protected:
    virtual void renderFrame(const Image& source, const MediaTime& time, const Image& output,
                             const Completion& completion);
};
