#pragma once
// How a face is hidden when nobody chose otherwise: the careful default that the command line's
// anonymisation gives every face and the editor gives every person its scan finds, until the
// user says otherwise. Value type; any thread.

#include <string>

#include "core/StyleKind.h"
#include "regions/Cover.h"

class TrackedRegion;

struct FaceHiding {
    Cover cover = Cover::circle;
    StyleKind style = StyleKind::gaussian;
    double intensity = 1.0;
    double softness = 0.2;
    double scale = 1.0;
    std::string emoji;  // empty: the region keeps its own
};

// Gives `region` the look of `hiding`, through the look's own setters (intensity clamped,
// masks and emoji pictures made again).
void applyFaceHiding(TrackedRegion& region, const FaceHiding& hiding);
