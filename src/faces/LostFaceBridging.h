#pragma once
// Covering a face across a brief loss: when a person's track ends and, soon after, another
// track begins near where it ended (association starts a new person after a few frames without
// the face), the first track is carried across the gap, so the face is never shown in between.
// The tracks stay apart: this is coverage, not identity.
// A face is also lost before its first detection and after its last: it is seldom found in the
// very frame it comes into view (a first look, a confirmation and the search's cadence stand
// between), and a track ends when the detectors lose it, not when the face goes. So a track's
// ends that nothing else covers are held for as long as a brief loss, carried on as the face
// was moving.
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
// A track's end is held moving as its box moved over this many seconds next to that end...
inline constexpr double HELD_MOTION_SPAN = 0.25;
// ... and only when the track lasts this long: a face seen for less is as likely a pattern
// found once, and holding it would multiply its cover tenfold.
inline constexpr double MIN_HELD_TRACK = 0.1;

// Each track (samples in time order) whose last sample is followed within MAX_BRIDGED_LOSS by
// the first sample of another track near it gets a sample at every frame time between, moved
// and resized linearly from its last box to the other's first. Near: the centres are less than
// BRIDGED_DISTANCE times the larger box's width and height apart, and the heights within a
// factor of two.
// Every other end of a track lasting at least MIN_HELD_TRACK gets samples at the frame times up
// to MAX_BRIDGED_LOSS before its first sample or after its last, the end box moved on at the
// speed its centre and size had over HELD_MOTION_SPAN (the size kept within a factor of two of
// the end's), unless another track has a sample overlapping the end box at the end's time: the
// face goes on under that track.
void bridgeBriefLosses(std::vector<std::vector<RegionSample>>& tracks,
                       std::span<const MediaTime> frameTimes);
