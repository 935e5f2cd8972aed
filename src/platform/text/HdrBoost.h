#pragma once
// Brightens an SDR picture (an emoji) for laying over HDR frames.
//
// HDR frames are 16-bit premultiplied RGBA holding 10-bit HLG signal values (BT.2020 primaries)
// scaled to the full 16-bit range, so the boosted picture is made in that very encoding and
// composites over an HDR frame as it is: each colour is linearised (sRGB), multiplied by
// `gain` in linear light, taken to BT.2020 primaries and HLG-encoded with SDR white at the
// reference 203 cd/m² and the signal's peak at 1000 cd/m². With the usual gain 4.926
// (= 1000 / 203) SDR white lands on the HLG peak. Alpha is unchanged (widened to 16 bits).
// The result carries the tags hlgColorSpace, hdrGainMap and maximumPixelValue = gain + 1.
//
// Pure function; any thread. The result is a new buffer.

#include <optional>

#include "platform/image/Image.h"

// Nothing unless `image` is 8-bit RGBA and `gain` is positive and finite.
std::optional<Image> hdrBoost(const Image& image, double gain);
