#include "platform/library/VideoLibrary.h"

#include <unistd.h>

#include <algorithm>

#include "platform/library/VideoFileName.h"

namespace fs = std::filesystem;

namespace {

// Deep enough for any sensible folder tree; a bound keeps a pathological one from stalling
// the scan.
constexpr int maxDepth = 8;

bool isInside(const fs::path& folder, const fs::path& root) {
    auto [rootEnd, _] = std::mismatch(root.begin(), root.end(), folder.begin(), folder.end());
    return rootEnd == root.end();
}

struct Root {
    fs::path folder;     // as the user named it, so paths shown and opened are theirs
    fs::path canonical;  // for telling one folder from another
};

// The library's folders without duplicates and without folders inside another one (their
// videos are already listed under that one). Missing ones aside.
std::vector<Root> distinctRoots(const std::vector<std::string>& folders,
                                std::vector<std::string>& missing) {
    std::vector<Root> roots;
    for (const std::string& name : folders) {
        std::error_code ec;
        fs::path folder = fs::absolute(name, ec).lexically_normal();
        if (!folder.has_filename()) folder = folder.parent_path();
        fs::path canonical = fs::canonical(folder, ec);
        if (ec || !fs::is_directory(canonical, ec)) {
            missing.push_back(name);
            continue;
        }
        roots.push_back({folder, canonical});
    }
    std::vector<Root> distinct;
    for (const Root& root : roots) {
        auto covers = [&](const Root& other) {
            return other.canonical != root.canonical && isInside(root.canonical, other.canonical);
        };
        auto same = [&](const Root& other) { return other.canonical == root.canonical; };
        if (std::none_of(roots.begin(), roots.end(), covers) &&
            std::none_of(distinct.begin(), distinct.end(), same))
            distinct.push_back(root);
    }
    return distinct;
}

bool newestFirst(const LibraryItem& a, const LibraryItem& b) {
    if (a.modified != b.modified) return a.modified > b.modified;
    return a.path < b.path;
}

class Walk {
public:
    Walk(const VideoLibrary::ReadabilityCheck& readable, LibraryListing& listing)
        : readable_(readable), listing_(listing) {}

    // Adds the album of `folder` (titled by its path from the root's parent) and then those
    // of its subfolders.
    void visit(const fs::path& folder, const std::string& title, int depth) {
        if (!readable_(folder)) {
            listing_.unreadableFolders.push_back(folder.string());
            return;
        }
        std::vector<LibraryItem> items;
        std::vector<fs::path> subfolders;
        std::error_code ec;
        fs::directory_iterator it(folder, ec), end;
        if (ec) {
            listing_.unreadableFolders.push_back(folder.string());
            return;
        }
        for (; it != end; it.increment(ec)) {
            const fs::directory_entry& entry = *it;
            std::string name = entry.path().filename().string();
            if (name.empty() || name.front() == '.') continue;
            std::error_code entryError;
            // Linked folders are not followed: a link to a parent would never end.
            if (entry.is_directory(entryError) && !entry.is_symlink(entryError)) {
                subfolders.push_back(entry.path());
            } else if (isVideoFileName(name) && entry.is_regular_file(entryError)) {
                LibraryItem item{entry.path().string(), entry.last_write_time(entryError),
                                 entry.file_size(entryError), title};
                if (!entryError) items.push_back(std::move(item));
            }
        }
        if (ec) listing_.unreadableFolders.push_back(folder.string());
        if (!items.empty()) {
            std::sort(items.begin(), items.end(), newestFirst);
            listing_.albums.push_back({title, std::move(items)});
        }
        if (depth >= maxDepth) return;
        std::sort(subfolders.begin(), subfolders.end());
        for (const fs::path& sub : subfolders)
            visit(sub, title + "/" + sub.filename().string(), depth + 1);
    }

private:
    const VideoLibrary::ReadabilityCheck& readable_;
    LibraryListing& listing_;
};

}  // namespace

bool VideoLibrary::canListFolder(const fs::path& folder) {
    return ::access(folder.c_str(), R_OK | X_OK) == 0;
}

VideoLibrary::VideoLibrary(std::vector<std::string> folders, ReadabilityCheck readable)
    : folders_(std::move(folders)), readable_(std::move(readable)) {}

LibraryListing VideoLibrary::scan() const {
    LibraryListing listing;
    Walk walk(readable_, listing);
    for (const Root& root : distinctRoots(folders_, listing.missingFolders))
        walk.visit(
            root.folder,
            root.folder.filename().empty() ? root.folder.string() : root.folder.filename().string(),
            0);
    LibraryAlbum recent{recentVideosTitle, {}};
    for (const LibraryAlbum& album : listing.albums)
        recent.items.insert(recent.items.end(), album.items.begin(), album.items.end());
    if (recent.items.empty()) return listing;
    std::sort(recent.items.begin(), recent.items.end(), newestFirst);
    listing.albums.insert(listing.albums.begin(), std::move(recent));
    return listing;
}
