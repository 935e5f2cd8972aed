#pragma once
// Turns a stored video picture upright with its display matrix and scales it, in one place for
// the preview and the decoders. Any thread; the input is not written.

#include "platform/image/Image.h"

// `stored` shown through `transform` (a display matrix acting on top-down pixel coordinates),
// scaled to `width` × `height` upright pixels. Quarter turns and mirrors are exact; any other
// matrix is resampled. The result's extent is at the origin.
Image orientAndScale(const Image& stored, const AffineTransform& transform, int width, int height);
