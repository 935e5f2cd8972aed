#pragma once
// The object editor. Main thread, except `renderRegions` (render threads).

#include <optional>

#include "core/MediaTime.h"
#include "platform/image/Image.h"

class CObject {
public:
    void reset();
    // Object regions arrive with object tracking; until then the stage passes the picture through.
    std::optional<Image> renderRegions(const Image& source, const MediaTime& time,
                                       const Image& current, bool isExport) const;
};
