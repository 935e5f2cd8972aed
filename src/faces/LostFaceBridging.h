#pragma once
// Covering a face across a brief loss: when a person's track ends and, soon after, another
// track begins near where it ended (association starts a new person after a few frames without
// the face), the first track is carried across the gap, so the face is never shown in between.
// The tracks stay apart: this is coverage, not identity.
//
// Pure function; any thread.

#include <span>
#include <vector>

#include "regions/RegionSample.h"

// The longest loss (seconds between the last sample of one track and the first of the next)
// that is bridged.
inline constexpr double MAX_BRIDGED_LOSS = 0.5;
// How far apart, in the larger box's widths and heights, the two ends of a loss may be: a face
// in a pan or a zoom moves further than its own width in half a second.
inline constexpr double BRIDGED_DISTANCE = 2;

// Each track (samples in time order) whose last sample is followed within MAX_BRIDGED_LOSS by
// the first sample of another track near it gets a sample at every frame time between, moved
// and resized linearly from its last box to the other's first. Near: the centres are less than
// BRIDGED_DISTANCE times the larger box's width and height apart, and the heights within a
// factor of two.
void bridgeBriefLosses(std::vector<std::vector<RegionSample>>& tracks,
                       std::span<const MediaTime> frameTimes);
