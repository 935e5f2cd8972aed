#include "platform/library/ThumbnailCache.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <set>

#include "platform/dispatch/MainQueue.h"
#include "platform/image/ImageFile.h"
#include "platform/library/ThumbnailQueue.h"
#include "support/TempFolder.h"
#include "support/TestMedia.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> filesIn(const fs::path& folder) {
    std::vector<std::string> out;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec)) out.push_back(entry.path());
    return out;
}

bool isRed(const Image& picture) {
    cv::Vec4b p = picture.pixels.at<cv::Vec4b>(picture.height() / 2, picture.width() / 2);
    return p[0] > 200 && p[1] < 60 && p[2] < 60;
}

}  // namespace

TEST(ThumbnailCache, AThumbnailIsMadeOnceAndMadeAgainWhenTheVideoChanges) {
    TempFolder work("thumbs");
    const std::string video = work.file("clip.mp4");
    fs::copy_file(testMediaPath("noaudio.mp4"), video);  // 640x360, 2 s
    ThumbnailCache cache(work.file("cache"));

    VideoPreview made = cache.preview(video);
    ASSERT_FALSE(made.picture.empty()) << made.problem;
    EXPECT_EQ(made.picture.height(), 300);
    EXPECT_NEAR(made.picture.width(), 533, 1);
    ASSERT_TRUE(made.durationSeconds);
    EXPECT_NEAR(*made.durationSeconds, 2.0, 0.05);
    const std::vector<std::string> stored = filesIn(work.file("cache"));
    ASSERT_EQ(stored.size(), 1u) << "one entry, no temporary left";
    EXPECT_EQ(stored[0], cache.entryPath(video));

    // A second request reads the entry: plant a picture the decoder could not have made.
    Image red(cv::Mat(300, 533, CV_8UC4, cv::Scalar(255, 0, 0, 255)));
    ASSERT_TRUE(writeImageFile(red, stored[0]));
    VideoPreview cached = cache.preview(video);
    EXPECT_TRUE(isRed(cached.picture));
    EXPECT_NEAR(cached.durationSeconds.value_or(0), 2.0, 0.05);

    // The video rewritten: a new entry, decoded from the file.
    fs::last_write_time(video, fs::last_write_time(video) + std::chrono::seconds(5));
    EXPECT_NE(cache.entryPath(video), stored[0]);
    VideoPreview remade = cache.preview(video);
    ASSERT_FALSE(remade.picture.empty());
    EXPECT_FALSE(isRed(remade.picture));
    EXPECT_EQ(filesIn(work.file("cache")).size(), 2u);
}

TEST(ThumbnailCache, AVideoThatCannotBeReadGivesAPreviewWithoutAPictureAndNoEntry) {
    TempFolder work("thumbs");
    ThumbnailCache cache(work.file("cache"));
    for (const char* name : {"garbage.mp4", "empty.mp4", "audio-only.mp4", "absent.mp4"}) {
        VideoPreview preview = cache.preview(testMediaPath(name));
        EXPECT_TRUE(preview.picture.empty()) << name;
        EXPECT_FALSE(preview.problem.empty()) << name;
    }
    EXPECT_TRUE(filesIn(work.file("cache")).empty());
}

TEST(ThumbnailQueue, EveryRequestIsDeliveredOnTheMainQueueAndNoneAfterTheQueueIsGone) {
    TempFolder work("thumbs");
    auto cache = std::make_shared<ThumbnailCache>(work.file("cache"), 64);
    std::set<std::string> delivered;
    bool onMainThread = true;
    {
        ThumbnailQueue queue(cache, [&](const std::string& path, const VideoPreview& preview) {
            onMainThread = onMainThread && MainQueue::shared().isMainThread();
            EXPECT_EQ(preview.picture.empty(), path == testMediaPath("garbage.mp4")) << path;
            delivered.insert(path);
        });
        for (const char* name : {"noaudio.mp4", "garbage.mp4", "hd.mp4", "odd.mp4"})
            queue.request(testMediaPath(name));
        ASSERT_TRUE(MainQueue::shared().runUntil([&] { return delivered.size() == 4; },
                                                 std::chrono::seconds(60)));
        EXPECT_TRUE(onMainThread);

        queue.request(testMediaPath("portrait.mp4"));
    }
    MainQueue::shared().runUntil([] { return false; }, std::chrono::milliseconds(500));
    EXPECT_EQ(delivered.size(), 4u);
}
