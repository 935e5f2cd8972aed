#pragma once
// The videos the home screen shows: every video file in the library's folders (the user's
// videos folder and the folders the user added) and their subfolders, grouped in albums.
// Videos are told by their file names only; nothing is decoded here.
//
// Threads: a VideoLibrary is immutable; `scan` walks the file system and may take a while on a
// large tree, so the home screen runs it on a worker. Any thread.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

struct LibraryItem {
    std::string path;
    std::filesystem::file_time_type modified;
    std::uintmax_t bytes = 0;
    std::string album;  // the title of the album of its folder
};

struct LibraryAlbum {
    std::string title;
    std::vector<LibraryItem> items;  // newest first
};

struct LibraryListing {
    // "Recent Videos" (every video) first, then one album per folder holding videos directly,
    // folder by folder in the order given, subfolders in name order after their parent. No
    // albums at all when there is no video.
    std::vector<LibraryAlbum> albums;
    // Folders that exist but cannot be read: their videos are missing until the user fixes it.
    std::vector<std::string> unreadableFolders;
    // Library folders that are not there (a removed or unmounted folder the user added).
    std::vector<std::string> missingFolders;
};

inline constexpr const char* recentVideosTitle = "Recent Videos";

class VideoLibrary {
public:
    // Whether a folder's entries can be listed. The tests give their own: permissions cannot
    // make a folder unreadable to root.
    using ReadabilityCheck = std::function<bool(const std::filesystem::path& folder)>;
    static bool canListFolder(const std::filesystem::path& folder);

    // `folders` in the order their albums are listed; one inside another is listed once.
    explicit VideoLibrary(std::vector<std::string> folders,
                          ReadabilityCheck readable = &VideoLibrary::canListFolder);

    LibraryListing scan() const;

private:
    std::vector<std::string> folders_;
    ReadabilityCheck readable_;
};
