#pragma once
// The shape editor. Main thread, except `applyBlur` (render threads).

#include <optional>

#include "core/MediaTime.h"
#include "platform/image/Image.h"

class CShape {
public:
    std::optional<int> selectedShapeIndex;

    void reset();
    // Shapes arrive with the shape editor; until then the stage passes the picture through.
    std::optional<Image> applyBlur(const Image& source, const MediaTime& time,
                                   const Image& current, bool isExport) const;
};
