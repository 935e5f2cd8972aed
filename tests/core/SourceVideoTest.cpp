#include "core/SourceVideo.h"

#include <gtest/gtest.h>

#include "support/ScriptedSourceProbe.h"

TEST(SourceVideo, LoadsEveryFactInItsFixedOrderAndIsReadyLast) {
    std::vector<std::string> log;
    SourceVideo video("clip.mp4",
                      std::make_unique<ScriptedSourceProbe>(log, std::vector<SourceTrack>{{0}}));
    video.waitUntilLoaded();
    EXPECT_EQ(log, (std::vector<std::string>{"duration", "videoTracks", "audioTracks",
                                             "minFrameDuration", "preferredTransform",
                                             "nominalFrameRate", "naturalSize", "isHDR"}));
    EXPECT_TRUE(video.isReady());
    EXPECT_EQ(video.duration(), MediaTime(1, 1));
    EXPECT_EQ(video.size(), (Size{1920, 1080}));  // mirrored sides come out positive
    EXPECT_TRUE(video.isHDR());
    EXPECT_DOUBLE_EQ(video.frameDuration(), 1.0 / 25);
}

TEST(SourceVideo, AFailedStepLeavesOnlyItsFactEmpty) {
    std::vector<std::string> log;
    SourceVideo video("clip.mp4", std::make_unique<ScriptedSourceProbe>(
                                      log, std::vector<SourceTrack>{{0}},
                                      std::set<std::string>{"duration", "preferredTransform"}));
    video.waitUntilLoaded();
    EXPECT_FALSE(video.duration());
    EXPECT_FALSE(video.preferredTransform());
    // Without a transform the natural size is taken as it is.
    EXPECT_EQ(video.size(), (Size{1920, 1080}));
    EXPECT_EQ(video.nominalFrameRate(), 25.0f);
    EXPECT_TRUE(video.isReady());
}

TEST(SourceVideo, WithoutAVideoTrackTheTrackFactsStayEmpty) {
    std::vector<std::string> log;
    SourceVideo video("song.m4a",
                      std::make_unique<ScriptedSourceProbe>(log, std::vector<SourceTrack>{}));
    video.waitUntilLoaded();
    EXPECT_EQ(log, (std::vector<std::string>{"duration", "videoTracks", "audioTracks"}));
    EXPECT_FALSE(video.size());
    EXPECT_FALSE(video.minFrameDuration());
    EXPECT_FALSE(video.isHDR());
    EXPECT_DOUBLE_EQ(video.frameDuration(), 1.0 / 30);  // the fallback rate
    EXPECT_TRUE(video.isReady());
}

TEST(SourceVideo, DisplaySizeAndRotationOfTransforms) {
    Size stored{1920, 1080};
    AffineTransform quarter{0, 1, -1, 0, 1080, 0};
    EXPECT_EQ(displaySize(stored, quarter), (Size{1080, 1920}));
    EXPECT_EQ(displaySize(stored, AffineTransform{1, 0, 0, -1, 0, 1080}), stored);
    EXPECT_EQ(displaySize(stored, std::nullopt), stored);
    EXPECT_EQ(rotationDegrees(quarter), 270);
    EXPECT_EQ(rotationDegrees(AffineTransform{0, -1, 1, 0, 0, 0}), 90);
    EXPECT_EQ(rotationDegrees(AffineTransform{-1, 0, 0, -1, 0, 0}), 180);
}
