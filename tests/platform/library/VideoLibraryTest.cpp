#include "platform/library/VideoLibrary.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <map>

#include "platform/library/VideoFileName.h"
#include "platform/library/XdgFolders.h"
#include "support/TempFolder.h"

namespace fs = std::filesystem;

namespace {

// A video file (by name; the library never reads it) last written `minutesAgo`.
void makeVideo(const fs::path& path, int minutesAgo) {
    fs::create_directories(path.parent_path());
    std::ofstream(path) << "not decoded";
    fs::last_write_time(path, fs::file_time_type::clock::now() - std::chrono::minutes(minutesAgo));
}

std::vector<std::string> titles(const LibraryListing& listing) {
    std::vector<std::string> out;
    for (const LibraryAlbum& album : listing.albums) out.push_back(album.title);
    return out;
}

std::vector<std::string> names(const LibraryAlbum& album) {
    std::vector<std::string> out;
    for (const LibraryItem& item : album.items) out.push_back(fs::path(item.path).filename());
    return out;
}

EnvironmentLookup environmentOf(std::map<std::string, std::string> values) {
    return [values](const std::string& name) -> std::optional<std::string> {
        auto it = values.find(name);
        if (it == values.end()) return std::nullopt;
        return it->second;
    };
}

}  // namespace

TEST(VideoLibrary, AlbumsAreTheFoldersAndSubfoldersWithRecentVideosFirstNewestFirst) {
    TempFolder home("library");
    const fs::path videos = home.path() / "Videos";
    const fs::path added = home.path() / "Camera";
    makeVideo(videos / "old.mp4", 50);
    makeVideo(videos / "Holiday" / "beach.MOV", 10);
    makeVideo(videos / "Holiday" / "Day 2" / "hike.mkv", 30);
    makeVideo(added / "new.webm", 1);
    // Not listed: pictures, notes, hidden files (a save being written), empty folders.
    makeVideo(videos / "poster.png", 0);
    makeVideo(videos / "notes.txt", 0);
    makeVideo(videos / ".partial.mp4", 0);
    fs::create_directories(videos / "Empty");

    // The added folder listed twice and a folder inside another are listed once.
    LibraryListing listing = VideoLibrary({videos.string(), added.string(), added.string() + "/",
                                           (videos / "Holiday").string()})
                                 .scan();

    EXPECT_EQ(titles(listing),
              (std::vector<std::string>{"Recent Videos", "Videos", "Videos/Holiday",
                                        "Videos/Holiday/Day 2", "Camera"}));
    EXPECT_EQ(names(listing.albums[0]),
              (std::vector<std::string>{"new.webm", "beach.MOV", "hike.mkv", "old.mp4"}));
    EXPECT_EQ(names(listing.albums[2]), std::vector<std::string>{"beach.MOV"});
    const LibraryItem& hike = listing.albums[0].items[2];
    EXPECT_EQ(hike.path, (videos / "Holiday" / "Day 2" / "hike.mkv").string());
    EXPECT_EQ(hike.album, "Videos/Holiday/Day 2");
    EXPECT_TRUE(listing.unreadableFolders.empty());
    EXPECT_TRUE(listing.missingFolders.empty());
}

TEST(VideoLibrary, UnreadableFoldersAreReportedAndTheRestIsListed) {
    TempFolder home("library");
    const fs::path videos = home.path() / "Videos";
    makeVideo(videos / "kept.mp4", 5);
    makeVideo(videos / "Locked" / "hidden.mp4", 1);
    makeVideo(home.path() / "Shared" / "other.mp4", 1);
    auto readable = [&](const fs::path& folder) {
        return folder != videos / "Locked" && folder != home.path() / "Shared";
    };
    LibraryListing listing = VideoLibrary({videos.string(), (home.path() / "Shared").string(),
                                           (home.path() / "Gone").string()},
                                          readable)
                                 .scan();
    EXPECT_EQ(titles(listing), (std::vector<std::string>{"Recent Videos", "Videos"}));
    EXPECT_EQ(names(listing.albums[0]), std::vector<std::string>{"kept.mp4"});
    EXPECT_EQ(listing.unreadableFolders,
              (std::vector<std::string>{(videos / "Locked").string(),
                                        (home.path() / "Shared").string()}));
    EXPECT_EQ(listing.missingFolders, std::vector<std::string>{(home.path() / "Gone").string()});
}

TEST(VideoLibrary, AnEmptyLibraryHasNoAlbums) {
    TempFolder home("library");
    EXPECT_TRUE(VideoLibrary({home.path().string()}).scan().albums.empty());
}

TEST(VideoLibrary, VideosAreToldByTheirExtension) {
    for (const char* name : {"a.mp4", "B.MOV", "c.m4v", "d.mkv", "e.webm", "f.avi", "g.Mts"})
        EXPECT_TRUE(isVideoFileName(name)) << name;
    for (const char* name : {"mp4", "a.mp3", "a.mp4.txt", ".a.mp4", "", "a."})
        EXPECT_FALSE(isVideoFileName(name)) << name;
}

TEST(XdgFolders, TheVideosFolderComesFromTheEnvironmentThenUserDirsThenHome) {
    TempFolder config("xdg");
    EXPECT_EQ(videosFolder(environmentOf({{"HOME", "/home/u"}, {"XDG_VIDEOS_DIR", "/media/v"}})),
              "/media/v");
    EXPECT_EQ(videosFolder(environmentOf(
                  {{"HOME", "/home/u"}, {"XDG_CONFIG_HOME", config.path().string()}})),
              "/home/u/Videos");
    std::ofstream(config.file("user-dirs.dirs"))
        << "# written by xdg-user-dirs-update\nXDG_MUSIC_DIR=\"$HOME/Music\"\n"
           "XDG_VIDEOS_DIR=\"$HOME/Filme\"\n";
    EXPECT_EQ(videosFolder(environmentOf(
                  {{"HOME", "/home/u"}, {"XDG_CONFIG_HOME", config.path().string()}})),
              "/home/u/Filme");
    EXPECT_EQ(videosFolder(environmentOf({})), "");

    EXPECT_EQ(thumbnailCacheFolder(environmentOf({{"HOME", "/home/u"}})),
              "/home/u/.cache/veilcut/thumbnails");
    EXPECT_EQ(thumbnailCacheFolder(environmentOf({{"HOME", "/home/u"}, {"XDG_CACHE_HOME", "/c"}})),
              "/c/veilcut/thumbnails");
}
