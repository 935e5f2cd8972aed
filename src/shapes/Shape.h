#pragma once
// One hand-placed shape: a rectangle, an ellipse or an emoji sticker with a time range (both
// ends inclusive), a default rectangle and keyframes between which it moves linearly.
// Rectangles are normalised to the upright frame with the origin at the lower-left.
//
// Threads: the shape editor changes shapes on the main thread. The renderer never sees a
// Shape that can change: the editor publishes copies (the copy constructor keeps ids and
// shares the immutable mask pictures), and the const members are safe on those copies.

#include <optional>
#include <string>
#include <vector>

#include "platform/image/Image.h"
#include "platform/time/MediaTime.h"
#include "regions/Cover.h"
#include "regions/RegionLook.h"
#include "shapes/Keyframe.h"

class Shape : public RegionLook {
public:
    Shape(MediaTimeRange trimTime, Rect defaultRect, std::string emoji, bool isHDR);

    std::string id = makeUuidString();
    MediaTimeRange trimTime;
    MediaTime maxEndTime;
    Rect defaultRect;
    std::vector<Keyframe> keyframes;  // insertion order, never sorted
    Cover cover = Cover::circle;

    // A deep copy under new ids, sharing the mask pictures; intensity clamped to 0...1.
    Shape copy() const;

    void appendKeyframe(const MediaTime& time, const Rect& rect);
    // Logs "Wrong index keyframe" and changes nothing for an index outside `keyframes`.
    void setKeyframeRect(int index, const Rect& rect);
    // The rectangle at time `t`; nothing outside the trim.
    std::optional<Rect> rect(const MediaTime& t) const;
    // This shape's layer for one frame: `styled` (`frame` in the shape's style, at least where
    // the layer shows) cut to the placed mask, or the placed emoji picture.
    std::optional<Image> maskImage(const Image& styled, const Image& frame, const MediaTime& time,
                                   RenderPurpose purpose) const;
    // The same layer with `frame` styled here, only where the layer can show: what the shape
    // stage draws. Nothing when the shape is not drawn at `time`.
    std::optional<Image> layer(const Image& frame, const MediaTime& time,
                               RenderPurpose purpose) const;
};
