#pragma once
// Reads a video stream's display matrix. Kept in one place because newer FFmpeg versions move
// it from the stream's side data to `codecpar->coded_side_data`.

#include <optional>

#include "platform/image/Geometry.h"

struct AVStream;

// The matrix as an affine transform of the stored picture; empty when the stream has none.
std::optional<AffineTransform> displayMatrixOf(const AVStream* stream);
