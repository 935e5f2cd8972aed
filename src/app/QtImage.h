#pragma once
// Our pictures (8- or 16-bit premultiplied RGBA) as Qt's, for widgets to draw.

#include <QImage>

struct Image;

// A copy of `picture` that owns its pixels; a null image for an empty picture or one of
// another pixel format.
QImage toQImage(const Image& picture);
