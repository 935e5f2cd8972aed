#pragma once
// Pictures that show what the vision services found, for `veilcut detect`. Any thread; no state.

#include <vector>

#include "platform/vision/BodyPoseDetector.h"
#include "platform/vision/FaceRectangleDetector.h"

// A copy of `frame` (8-bit RGBA) with face rectangles in green, noses in red, necks in blue.
Image drawDetections(const Image& frame, const std::vector<FaceObservation>& faces,
                     const std::vector<BodyPoseObservation>& poses);

// A single-channel mask as an opaque grey RGBA picture, for writing to a file.
Image maskPicture(const Image& mask);
