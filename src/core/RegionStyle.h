#pragma once
// A region's style and intensity, and the styled frame they give.
//
// A small value: editors keep one per region on the main thread and publish copies in their
// render snapshots; render threads call the const members of their copy without locking.

#include <optional>

#include "core/StyleKind.h"
#include "platform/image/Geometry.h"
#include "platform/image/Image.h"
#include "platform/image/ImageFilterRegistry.h"

class RegionStyle {
public:
    double time = 0;  // kept with the style; nothing here reads it
    StyleKind type = StyleKind::gaussian;
    double intensity = 0.5;       // 0...1
    Size relativeSize{512, 512};  // the frame size at which parameter values apply unscaled

    // Sets the intensity clamped to 0...1; false, changing nothing, for a NaN.
    bool setIntensity(double value);
    // A fresh RegionStyle with this style and this intensity clamped to 0...1, the other fields at
    // their defaults: what a region's copy (the undo snapshot) takes.
    RegionStyle styleCopy() const;

    // The styled version of the whole frame; nothing for an empty image. `normal` returns the
    // very image given.
    std::optional<Image> apply(const Image& image) const;
    // The styled frame inside `area` only (plane coordinates, clipped to the frame's extent):
    // the same pixels as styling the whole frame and cropping, at a cost that follows the area.
    std::optional<Image> apply(const Image& image, const Rect& area) const;

    // How much larger than `relativeSize` a frame of this extent is.
    double frameScale(const Rect& extent) const;
    // The filter inputs the style and intensity give for a frame of this extent.
    FilterParameters parameters(const Rect& extent) const;
};
