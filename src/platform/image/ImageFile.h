#pragma once
// Reading and writing still pictures (PNG, JPEG, ... by file name) for debugging tools and
// tests. Any thread; no shared state.

#include <optional>
#include <string>

#include "platform/image/Image.h"

// The picture in the file as premultiplied RGBA (16-bit when the file is), extent at the origin;
// nothing when it cannot be read.
std::optional<Image> readImageFile(const std::string& path);

// Writes `image` (its colours unpremultiplied, 8 or 16 bits as it is) to `path`, whose
// extension picks the format. False when it cannot be written.
bool writeImageFile(const Image& image, const std::string& path);
