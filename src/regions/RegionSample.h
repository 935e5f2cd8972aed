#pragma once
// One sample of a tracked region: where the thing was seen in one frame. The rect is normalised
// to the upright frame, origin at the lower-left, y up. Plain value; any thread.

#include "platform/image/Geometry.h"
#include "platform/time/MediaTime.h"

struct RegionSample {
    MediaTime timeStamp;
    Rect nominalRect;
    friend bool operator==(const RegionSample&, const RegionSample&) = default;
};
