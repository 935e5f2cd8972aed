#include "platform/library/ThumbnailCache.h"

#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "platform/files/OutputFile.h"
#include "platform/image/ImageFile.h"
#include "platform/media/FrameAtTime.h"
#include "platform/media/MediaFile.h"
#include "platform/media/VideoReader.h"

namespace fs = std::filesystem;

namespace {

// FNV-1a: stable from run to run and build to build, unlike std::hash.
std::uint64_t fingerprint(const std::string& text) {
    std::uint64_t hash = 1469598103934665603ull;
    for (unsigned char c : text) hash = (hash ^ c) * 1099511628211ull;
    return hash;
}

struct Facts {
    std::optional<double> durationSeconds;
    double longToShort = 1;  // the picture's longer side over its shorter one
};

Facts factsOf(const std::string& path) {
    Facts facts;
    auto file = MediaFile::open(path);
    if (!file) return facts;
    if (auto duration = file->duration(); duration && duration->isNumeric())
        facts.durationSeconds = duration->seconds();
    auto tracks = file->videoTracks();
    if (auto size = tracks.empty() ? std::nullopt : file->naturalSize(tracks.front());
        size && size->width > 0 && size->height > 0)
        facts.longToShort =
            std::max(size->width, size->height) / std::min(size->width, size->height);
    return facts;
}

// The longest side that gives the picture a shorter side of `side`: the grid crops thumbnails
// to squares of that side. Panoramas are bounded so a thumbnail stays small.
int fillingMaxSide(int side, double longToShort) {
    return int(std::ceil(side * std::min(longToShort, 4.0)));
}

}  // namespace

ThumbnailCache::ThumbnailCache(std::string folder, int side)
    : folder_(std::move(folder)), side_(side) {}

std::string ThumbnailCache::entryPath(const std::string& path) const {
    std::error_code ec;
    auto bytes = fs::file_size(path, ec);
    if (ec) return {};
    auto modified = fs::last_write_time(path, ec);
    if (ec) return {};
    std::string identity = fs::absolute(path, ec).string() + '\n' + std::to_string(bytes) + '\n' +
                           std::to_string(modified.time_since_epoch().count());
    char name[48];
    std::snprintf(name, sizeof name, "%016" PRIx64 "-%d.jpg", fingerprint(identity), side_);
    return (fs::path(folder_) / name).string();
}

VideoPreview ThumbnailCache::preview(const std::string& path) const {
    VideoPreview preview;
    std::string entry = entryPath(path);
    if (entry.empty()) {
        preview.problem = path + ": cannot be read";
        return preview;
    }
    const Facts facts = factsOf(path);
    preview.durationSeconds = facts.durationSeconds;
    if (auto cached = readImageFile(entry)) {
        preview.picture = std::move(*cached);
        return preview;
    }
    VideoReaderSettings settings;
    settings.maxSide = fillingMaxSide(side_, facts.longToShort);
    std::string error;
    auto reader = VideoReader::open(path, settings, &error);
    if (!reader) {
        preview.problem = error;
        return preview;
    }
    // The first frame, as photo libraries show: a later one would cost a decode of every frame
    // before it, for every video of the library.
    auto frame = frameAt(*reader, 0, error);
    if (!frame) {
        preview.problem = error;
        return preview;
    }
    preview.picture = frame->image;
    // A cache that cannot be written costs a decode next time, nothing more.
    std::error_code ec;
    fs::create_directories(folder_, ec);
    writeThroughTemporary(entry, true, [&](const std::string& temporary) {
        return writeImageFile(preview.picture, temporary);
    });
    return preview;
}
