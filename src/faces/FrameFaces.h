#pragma once
// What the face scan found in one frame, in the order it found it. Plain value.

#include <vector>

#include "faces/FaceRect.h"
#include "faces/PoseData.h"
#include "platform/time/MediaTime.h"

struct FrameFaces {
    std::vector<FaceRect> faces;
    std::vector<PoseData> poses;
    MediaTime timeStamp;
};
