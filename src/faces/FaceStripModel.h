#pragma once
// The strip of faces under the preview: one cell per person once the scan has passed the
// playhead (or has ended), loading cells while it is behind, and what picking a person does to
// the playhead. Pure functions; main thread (they read the editor's regions).

#include <optional>
#include <vector>

#include "faces/FaceScanStatus.h"
#include "platform/time/MediaTime.h"
#include "regions/TrackedRegion.h"

enum class FaceCell { face, loading, empty };

// Cells shown while no person can be shown: loading, or empty after a scan that found nobody.
inline constexpr size_t FACE_STRIP_PLACEHOLDERS = 4;

// The strip's cells in order; a `face` cell i shows region i.
std::vector<FaceCell> faceStripCells(const FaceScanStatus& status);
// Where the playhead goes when `region`'s person is picked: to the start of its trim when the
// playhead is before it, to the end when after it; none when it is already inside.
std::optional<MediaTime> playheadForPickedFace(const TrackedRegion& region,
                                               const MediaTime& playhead);
