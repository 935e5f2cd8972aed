#include "session/PreviewCompositor.h"

#include <algorithm>
#include <cmath>

#include "platform/image/Orientation.h"
#include "session/EditSession.h"

Size previewRenderSize(Size size) {
    double k = std::min(PREVIEW_BOX_SIDE / size.width, PREVIEW_BOX_SIDE / size.height);
    return {std::round(size.width * k), std::round(size.height * k)};
}

void PreviewCompositor::renderFrame(const Image& source, const MediaTime& time, const Image& output,
                                    const Completion& completion) {
    auto video = session_.source();
    auto transform = video ? video->preferredTransform() : std::nullopt;
    auto size = video ? video->size() : std::nullopt;
    if (!transform || !size || !(size->width > 0) || !(size->height > 0))
        return completion(source);
    Size box = previewRenderSize(*size);
    Image upright = orientAndScale(source, *transform, int(box.width), int(box.height));
    Image result = session_.renderFrame(upright, time, RenderPurpose::preview);
    if (output.pixels.size() == result.pixels.size() && output.pixels.type() == result.pixels.type()) {
        // The render context's buffer is the frame handed back to the player.
        cv::Mat target = output.pixels;
        result.pixels.copyTo(target);
        return completion(Image(target));
    }
    completion(result);
}
