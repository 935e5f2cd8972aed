#pragma once
// One body pose found in one frame: its nose and neck (at least one present) and the person it
// belongs to. Plain value; any thread that owns it.

#include <optional>
#include <string>

#include "platform/dispatch/Uuid.h"
#include "platform/image/Geometry.h"

struct PoseData {
    std::optional<Point> nose;  // normalised, origin at the lower-left, y up
    std::optional<Point> neck;
    std::string personid = makeUuidString();
};
