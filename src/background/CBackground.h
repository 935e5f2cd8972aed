#pragma once
// The background editor. Main thread, except `applyBlur` (render threads).

#include <optional>

#include "platform/image/Image.h"

class CBackground {
public:
    double intensity = 0.5;
    double softness = 0;

    void reset();
    // Segmentation arrives with the background editor; until then the stage passes the frame
    // through.
    std::optional<Image> applyBlur(const Image& source) const;
};
