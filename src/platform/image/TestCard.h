#pragma once
// A generated frame that shows what every style does: colour gradients, saturated bars, fine
// lines and checks, text, and bright dots on a dark band (where bokeh draws its rings). Used by
// the `veilcut style` command and the style benchmark. Any thread.

#include "platform/image/Image.h"

// An opaque picture of the given size (each at least 16), 8 or 16 bits per channel.
Image makeTestCard(int width, int height, bool deep = false);
