#pragma once
// The rectangle and ellipse masks of a region: a square canvas, transparent but for a rounded
// square filling its central half, feathered by a Gaussian blur. The transparent border
// leaves the feather room to fade out.
//
// Pure function; any thread. Each mask is a new picture, immutable once returned, shared by
// the region and its copies.

#include <optional>

#include "platform/image/Image.h"

// Straight (not premultiplied) colour, each component 0…1.
struct RGBAColor {
    double red = 0;
    double green = 0;
    double blue = 0;
    double alpha = 1;
};

inline constexpr RGBAColor MASK_COLOR{1, 0, 0, 1};  // only the alpha clips; red shows in debugging
inline constexpr int MASK_CANVAS_SIDE = 300;        // pixels
inline constexpr double RECTANGLE_CORNER_RADIUS = 12;     // the `rectangle` mask
inline constexpr double ELLIPSE_CORNER_RADIUS = 50;       // the `circle` mask: drawn as a circle
inline constexpr double FEATHER_SIGMA_PER_SOFTNESS = 20;  // canvas pixels at softness 1
inline constexpr int MAX_MASK_SIDE = 8192;

// A `size` × `size` picture (premultiplied RGBA, 8 bits, extent at the origin) with the square
// from size/4 to 3·size/4 filled with `color`, its corners rounded by `cornerRadius`, edges
// antialiased, then blurred with standard deviation `sigma` pixels (edges clamped, cropped
// back to the canvas). A radius of a third of the square's side or more rounds it fully into
// a circle: that is how the ellipse mask is asked for. Sigma 0 keeps the edges hard.
// Nothing when `size` is not in 1…MAX_MASK_SIDE, or `cornerRadius` or `sigma` is negative or
// not a number.
std::optional<Image> makeShapeMask(RGBAColor color, int size, double cornerRadius, double sigma);
