#pragma once
// Where the preview area shows the video, and where a region rect lands on it: the overlays
// of the region tools place their boxes with this. The video is fitted into the area (letter-
// or pillar-boxed, centred), then zoomed about the area's centre and shifted by the pan.
// Pixels of the area, origin at its top-left. Value types; any thread.

#include "platform/image/Geometry.h"

struct PreviewPlacement {
    Size area;        // the preview area
    Size video;       // the video's upright display size; zero while unknown
    double zoom = 1;  // 1: fitted
    Point offset;     // the picture's shift from the area's centre
};

// The video's rectangle in the area; empty while the video's size is unknown.
Rect pictureRect(const PreviewPlacement& placement);
// `regionRect` (normalised to the video, origin at the lower-left, y up) in the area's pixels.
Rect areaRect(const Rect& regionRect, const PreviewPlacement& placement);
