#pragma once
// Reading and writing still pictures (PNG and JPEG) for debugging tools and tests. Any thread;
// no shared state.

#include <optional>
#include <string>

#include "platform/image/Image.h"

// The picture in the file as premultiplied RGBA (16-bit when the file is), extent at the origin;
// nothing when it cannot be read. The format is told by the file's content, not its name; a
// file that is damaged or ends early gives nothing rather than a partial picture.
std::optional<Image> readImageFile(const std::string& path);

// Writes `image` (its colours unpremultiplied, 8 or 16 bits as it is) to `path`, whose
// extension picks the format: .png, or .jpg/.jpeg (8 bits, no alpha, quality 95). False when it
// cannot be written, including an unknown extension and a write that fails on closing.
bool writeImageFile(const Image& image, const std::string& path);
// Whether `path`'s extension names a format `writeImageFile` writes.
bool isPictureFileName(const std::string& path);
