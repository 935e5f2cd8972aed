#pragma once
// One person's track: the person's face box in every frame from the first to the last frame
// in which the person was seen, with frames where only the body pose was found filled in by
// moving a neighbouring face with the nose (or neck), and any other frame between two faces
// filled in by interpolation.
//
// Pure functions; any thread.

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "faces/FrameFaces.h"
#include "regions/RegionSample.h"

// One frame of a person's slice: the person's first face and first pose in it, if any.
struct PersonFrame {
    MediaTime timeStamp;
    std::optional<Rect> face;
    std::optional<PoseData> pose;
};

// Maximal runs of false in `seen`, each with the seen index before it and after it (when those
// exist): {s - 1,} s, ..., e - 1{, e}.
std::vector<std::vector<size_t>> gaps(const std::vector<bool>& seen);

// Where a face would be at the current pose if the anchor faces had moved with the nose
// (or else the neck): blended by `w` (the weight of the start) when both anchors exist.
std::optional<Rect> estimateFace(const std::optional<Rect>& startFace,
                                 const std::optional<Rect>& endFace,
                                 const std::optional<PoseData>& startPose,
                                 const std::optional<PoseData>& endPose,
                                 const std::optional<PoseData>& curPose, double w);

// The samples of a slice whose first and last frames show the person: every frame with a
// face, found or filled in.
std::vector<RegionSample> trackSamples(std::vector<PersonFrame> slice);

// The track of person `id` in `frames` (the frames themselves are not changed).
std::vector<RegionSample> personTrack(std::span<const FrameFaces> frames, const std::string& id);
