#pragma once
// The face editor. Main thread, except `trackState`, `progressRate` (atomics, read by the
// export's wait) and `renderRegions` (render threads).

#include <atomic>
#include <optional>

#include "core/MediaTime.h"
#include "platform/image/Image.h"

enum class CFaceTrackState { start = 0, end = 1 };

class CFace {
public:
    std::atomic<CFaceTrackState> trackState{CFaceTrackState::start};
    std::atomic<double> progressRate{0};

    void reset();
    // Face regions arrive with the face scan; until then the stage passes the picture through.
    std::optional<Image> renderRegions(const Image& source, const MediaTime& time,
                                       const Image& current, bool isExport) const;
};
