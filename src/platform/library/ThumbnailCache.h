#pragma once
// Thumbnails of library videos, filling a square (300 pixels by default: the shorter side is
// 300, so a square cut from the middle is sharp) and kept as files
// in a cache folder, so the home screen decodes each video once, not at every start. An entry
// is named by the video's path, size and modification time and by the thumbnail's size: a
// video changed since its thumbnail was made gets a new one. Files are written under a
// temporary name and renamed into place, so a reader never sees half a thumbnail.
//
// Threads: `preview` decodes and may take a while; call it on a worker. Any number of threads
// may call it at the same time.

#include <optional>
#include <string>

#include "platform/image/Image.h"

// What the home screen shows of one video.
struct VideoPreview {
    Image picture;  // its shorter side the cache's side; empty when the video cannot be read
    std::optional<double> durationSeconds;
    std::string problem;  // why there is no picture, one line
};

class ThumbnailCache {
public:
    explicit ThumbnailCache(std::string folder, int side = 300);

    // The preview of the video at `path`, from the cache when it holds one for the file as it
    // is now; otherwise decoded and stored. A file that cannot be read gives a preview without
    // a picture (and nothing is stored), never a failure.
    VideoPreview preview(const std::string& path) const;

    // The cache file of `path` as it is now; empty when the file cannot be examined.
    std::string entryPath(const std::string& path) const;

    int side() const { return side_; }

private:
    std::string folder_;
    int side_;
};
