#include "core/SourceVideo.h"

#include <gtest/gtest.h>

#include "support/ScriptedSourceProbe.h"


TEST(SourceVideo, LoadsEveryFactInItsFixedOrderAndIsReadyLast) {
    std::vector<std::string> log;
    SourceVideo asset("clip.mp4", std::make_unique<ScriptedSource>(log, std::vector<SourceTrack>{{0}}));
    asset.waitUntilLoaded();
    EXPECT_EQ(log, (std::vector<std::string>{"duration", "videoTracks", "audioTracks",
                                             "minFrameDuration", "preferredTransform",
                                             "nominalFrameRate", "naturalSize", "isHDR"}));
    EXPECT_TRUE(asset.isReady());
    EXPECT_EQ(asset.duration(), MediaTime(1, 1));
    EXPECT_EQ(asset.size(), (Size{1920, 1080}));  // mirrored sides come out positive
    EXPECT_TRUE(asset.isHDR());
    EXPECT_DOUBLE_EQ(asset.frameDuration(), 1.0 / 25);
}

TEST(SourceVideo, AFailedStepLeavesOnlyItsFactEmpty) {
    std::vector<std::string> log;
    SourceVideo asset("clip.mp4", std::make_unique<ScriptedSource>(
                                       log, std::vector<SourceTrack>{{0}},
                                       std::set<std::string>{"duration", "preferredTransform"}));
    asset.waitUntilLoaded();
    EXPECT_FALSE(asset.duration());
    EXPECT_FALSE(asset.preferredTransform());
    // Without a transform the natural size is taken as it is.
    EXPECT_EQ(asset.size(), (Size{1920, 1080}));
    EXPECT_EQ(asset.nominalFrameRate(), 25.0f);
    EXPECT_TRUE(asset.isReady());
}

TEST(SourceVideo, WithoutAVideoTrackTheTrackFactsStayEmpty) {
    std::vector<std::string> log;
    SourceVideo asset("song.m4a", std::make_unique<ScriptedSource>(log, std::vector<SourceTrack>{}));
    asset.waitUntilLoaded();
    EXPECT_EQ(log, (std::vector<std::string>{"duration", "videoTracks", "audioTracks"}));
    EXPECT_FALSE(asset.size());
    EXPECT_FALSE(asset.minFrameDuration());
    EXPECT_FALSE(asset.isHDR());
    EXPECT_DOUBLE_EQ(asset.frameDuration(), 1.0 / 30);  // the fallback rate
    EXPECT_TRUE(asset.isReady());
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
