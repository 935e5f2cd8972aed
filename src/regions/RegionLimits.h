#pragma once
// How many regions one edit may hold: far more than anyone places or tracks by hand, few enough
// that loading and drawing them all stays within memory and seconds a frame. The editors stop
// adding at these counts, and the project reader refuses more, so that every project saved can
// be opened again.

#include <cstddef>

inline constexpr size_t MAX_SHAPES = 10'000;
inline constexpr size_t MAX_TRACKED_REGIONS = 100'000;  // faces, and again objects
