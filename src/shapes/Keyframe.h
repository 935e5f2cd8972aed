#pragma once
// One keyframe of a shape: its rectangle (normalised, lower-left origin) at a media time.
// A value; the shape that holds it decides who may change it (the main thread).

#include <string>

#include "platform/dispatch/Uuid.h"
#include "platform/image/Geometry.h"
#include "platform/time/MediaTime.h"

struct Keyframe {
    std::string id = makeUuidString();
    MediaTime time;
    Rect nominalRect;
};
