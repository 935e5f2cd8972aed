#pragma once
// One face found in one frame, with the person it belongs to. Plain value; association
// changes `personid` in place on the main record of the frame. Any thread that owns it.

#include <string>

#include "platform/dispatch/Uuid.h"
#include "platform/image/Geometry.h"

struct FaceRect {
    Rect rect;  // normalised, origin at the lower-left, y up
    std::string personid = makeUuidString();
};
