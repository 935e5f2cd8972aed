#pragma once
// Reviewing a video person by person: "Next face" and "Previous face" take the playhead to the
// nearest moment at which some person's cover starts or ends, where a missed or late cover
// would show. Pure function; main thread (it reads the editor's regions).

#include <optional>
#include <vector>

class TrackedRegion;

enum class Heading { back, forward };

// The nearest first or last frame of any region's trim strictly beyond `playhead` (more than
// half a frame away) in the direction of `heading`, in seconds; none when there is none.
std::optional<double> nearestFaceEdge(const std::vector<TrackedRegion>& regions, double playhead,
                                      double frameDuration, Heading heading);
