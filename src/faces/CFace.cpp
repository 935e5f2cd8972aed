#include "faces/CFace.h"

void CFace::reset() {
    trackState = CFaceTrackState::start;
    progressRate = 0;
}

std::optional<Image> CFace::renderRegions(const Image&, const MediaTime&, const Image& current,
                                          bool) const {
    return current;
}
