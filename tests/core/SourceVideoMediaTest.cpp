#include <gtest/gtest.h>

#include "core/SourceVideo.h"
#include "support/TestMedia.h"

namespace {

std::unique_ptr<SourceVideo> load(const std::string& clip) {
    auto video = std::make_unique<SourceVideo>(testMediaPath(clip));
    video->waitUntilLoaded();
    return video;
}

}  // namespace

TEST(SourceVideoMedia, OrdinaryClipWithAudio) {
    auto a = load("hd.mp4");
    EXPECT_EQ(a->size(), (Size{1920, 1080}));
    EXPECT_NEAR(a->duration()->seconds(), 2.0, 0.05);
    EXPECT_EQ(a->trackVideos()->size(), 1u);
    EXPECT_EQ(a->trackAudios()->size(), 1u);
    EXPECT_FLOAT_EQ(*a->nominalFrameRate(), 30.0f);
    EXPECT_NEAR(a->minFrameDuration()->seconds(), 1.0 / 30, 1e-9);
    EXPECT_FALSE(a->isHDR());
}

TEST(SourceVideoMedia, PortraitClipIsUprightWithAQuarterTurn) {
    auto a = load("portrait.mp4");
    EXPECT_EQ(a->size(), (Size{1080, 1920}));
    EXPECT_EQ(rotationDegrees(*a->preferredTransform()), 90);
}

TEST(SourceVideoMedia, HdrTransferFunctions) {
    auto hlg = load("hlg.mp4");
    EXPECT_TRUE(hlg->isHDR());
    EXPECT_EQ(hlg->transferName(), "HLG");
    auto pq = load("pq.mp4");
    EXPECT_TRUE(pq->isHDR());
    EXPECT_EQ(pq->transferName(), "PQ");
}

TEST(SourceVideoMedia, TrackCountsOddSizesAndVariableRate) {
    EXPECT_EQ(load("two-audio.mp4")->trackAudios()->size(), 2u);
    EXPECT_EQ(load("noaudio.mp4")->trackAudios()->size(), 0u);
    EXPECT_EQ(load("odd.mp4")->size(), (Size{1279, 719}));
    auto vfr = load("vfr.mp4");
    // Frames of 1/30 s and of 1/10 s: the minimum is the short one; the duration keeps the
    // stream's own timescale.
    EXPECT_NEAR(vfr->minFrameDuration()->seconds(), 1.0 / 30, 1e-9);
    EXPECT_EQ(vfr->duration()->timescale, 90000);
}

TEST(SourceVideoMedia, AudioOnlyAndBrokenFilesGiveEmptyVideoFactsAndStillBecomeReady) {
    auto audio = load("audio-only.mp4");
    EXPECT_TRUE(audio->isReady());
    EXPECT_TRUE(audio->trackVideos()->empty());
    EXPECT_FALSE(audio->size());
    EXPECT_FALSE(audio->preferredTransform());
    EXPECT_FALSE(audio->nominalFrameRate());
    EXPECT_FALSE(audio->isHDR());
    EXPECT_TRUE(audio->duration());

    for (const char* broken : {"garbage.mp4", "no-such-file.mp4"}) {
        auto a = load(broken);
        EXPECT_TRUE(a->isReady());
        EXPECT_FALSE(a->trackVideos());
        EXPECT_FALSE(a->duration());
        EXPECT_FALSE(a->size());
    }
    auto truncated = load("truncated.mp4");
    EXPECT_TRUE(truncated->isReady());
    EXPECT_EQ(truncated->size(), (Size{640, 360}));
}
