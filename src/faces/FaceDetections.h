#pragma once
// Turning what the vision services found in one frame into the scan's records: faces kept
// above the confidence threshold and de-duplicated, poses kept when their nose or neck is real.
// Pure functions; any thread.

#include <vector>

#include "faces/FaceRect.h"
#include "faces/PoseData.h"
#include "platform/vision/BodyPoseDetector.h"
#include "platform/vision/FaceRectangleDetector.h"

// The least confidence of a face that is kept.
inline constexpr float FACE_CONFIDENCE_THRESHOLD = 0.5f;
// A joint this close to a corner of the frame is one the service could not place.
inline constexpr double MISSING_JOINT_TOLERANCE = 0.00001;

// Observations in order, each dropped when it overlaps one kept before it.
std::vector<FaceObservation> suppressOverlappingFaces(
    const std::vector<FaceObservation>& observations);

// The frame's faces: confident ones, de-duplicated, each a new person.
std::vector<FaceRect> makeFaceRects(const std::vector<FaceObservation>& observations);

// The frame's poses: joints on a corner count as missing; poses with no joint left are dropped.
std::vector<PoseData> makePoseData(const std::vector<BodyPoseObservation>& observations);
