#pragma once
// Gives every face and pose of the newest frame a person id that stays the same from frame to
// frame: poses take the id of the face that holds their nose; faces take the id of an earlier
// face they overlap, poses that of an earlier pose whose nose and neck are near, looking back
// at most five frames. Only ids inside the newest frame change.
//
// Pure functions over records the caller owns; any thread, one at a time per list.

#include <span>
#include <string>
#include <vector>

#include "faces/FrameFaces.h"

// Overlap above this fraction of either box makes two face boxes the same face.
inline constexpr double INTERECT_LIMIT = 0.3;
// How far back (in frames) a face or pose looks for its person.
inline constexpr int ASSOCIATION_LOOKBACK = 5;
// Largest move of a nose or neck, per axis of the normalised frame, for two poses to be near.
inline constexpr double POSE_NEAR_TOLERANCE = 0.05;

// Area of the intersection of two rects, 0 when they do not meet.
double intersectionArea(const Rect& a, const Rect& b);
// Whether two face boxes count as the same face (INTERECT_LIMIT of either, exclusive).
bool facesOverlap(const Rect& a, const Rect& b);

void linkPosesToFaces(std::vector<PoseData>& poses, const std::vector<FaceRect>& faces);

// `unmatched` are faces of the newest frame; those that take the id of a face of `earlier`
// pass it on to the first pose of `poses` with their old id. Returns those still unmatched.
std::vector<FaceRect*> matchFaces(const std::vector<FaceRect*>& unmatched,
                                  const std::vector<FaceRect>& earlier,
                                  std::vector<PoseData>& poses,
                                  const std::vector<std::string>& excluded);

// The pose counterpart of matchFaces: a matched pose passes the id on to the first face of
// `faces` with its old id.
std::vector<PoseData*> matchPoses(const std::vector<PoseData*>& unmatched,
                                  const std::vector<PoseData>& earlier,
                                  std::vector<FaceRect>& faces,
                                  const std::vector<std::string>& excluded);

// Associates the last frame of `results` with those before it. Only the last
// ASSOCIATION_LOOKBACK + 1 frames are read, so a caller may pass just those.
void associateFrame(std::span<FrameFaces> results);
