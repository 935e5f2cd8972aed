#pragma once
// Where the face overlay puts its boxes: one per face region, around the rect that region is
// drawn in at the playhead (its sample enlarged by the region's scale), with a margin, in the
// preview area's pixels; following the preview's zoom and pan. Pure functions; any thread.

#include <optional>
#include <vector>

#include "platform/image/Geometry.h"
#include "platform/time/MediaTime.h"
#include "regions/PreviewPlacement.h"
#include "regions/TrackedRegion.h"

// The space between a face and its box, in the area's pixels.
inline constexpr double FACE_BOX_MARGIN = 15;

// Box i for region i at `time`; none while the region is not shown then (outside its trim, or
// with no usable rect) and while the video's size is unknown.
std::vector<std::optional<Rect>> faceBoxes(const std::vector<TrackedRegion>& regions,
                                           const MediaTime& time, double frameDuration,
                                           const PreviewPlacement& placement);
// The index of the box that holds `point`; where boxes overlap, the one drawn last (on top).
std::optional<int> faceBoxAt(const std::vector<std::optional<Rect>>& boxes, Point point);
