// The face scan with the real detectors on a generated clip: one person throughout, another
// only for a second.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/SourceVideo.h"
#include "faces/FaceRegionBuilder.h"
#include "faces/FaceScan.h"
#include "faces/LostFaceBridging.h"
#include "platform/dispatch/MainQueue.h"
#include "platform/media/VideoReader.h"
#include "platform/vision/FaceSearch.h"
#include "platform/vision/TestPictures.h"
#include "support/TempFolder.h"
#include "support/TestMedia.h"

namespace {

// The regions of a whole scan of `clip`, with the number of frames it went through.
std::optional<std::vector<TrackedRegion>> scanned(const std::string& clip, int& framesScanned) {
    auto video = std::make_shared<SourceVideo>(clip);
    video->waitUntilLoaded();
    FaceScan scan;
    std::optional<std::vector<TrackedRegion>> found;
    std::string failure;
    scan.scanFaces(
        video, [](double, std::vector<TrackedRegion>) {},
        [&](std::vector<TrackedRegion> regions, int frames) {
            found = std::move(regions);
            framesScanned = frames;
        },
        [&](const std::string& reason) { failure = reason; });
    EXPECT_TRUE(MainQueue::shared().runUntil([&] { return found || !failure.empty(); },
                                             std::chrono::seconds(120)));
    EXPECT_TRUE(failure.empty()) << failure;
    return found;
}

}  // namespace

TEST(FaceScan, FindsEachPersonOverTheFramesTheyAreInWithGrownRegions) {
    TempFolder folder("face-scan");
    const std::string clip = (folder.path() / "two-people.mp4").string();
    // 3 s at 10 fps; Grace Hopper throughout on the left, the astronaut on the right in the
    // frames from 1.0 s to 1.9 s.
    ASSERT_TRUE(
        makeClipOfPictures(clip, "gray", "640x360", 3,
                           {testPicturePath("grace_hopper.jpg"), testPicturePath("astronaut.png")},
                           "[1:v]scale=-2:220[a];[2:v]scale=-2:220[b];[0:v][a]overlay=x=40:y=60[l];"
                           "[l][b]overlay=x=360:y=60:enable=between(t\\,0.95\\,1.95)"));

    int framesScanned = 0;
    auto found = scanned(clip, framesScanned);
    ASSERT_TRUE(found);
    ASSERT_EQ(found->size(), 2u);
    EXPECT_EQ(framesScanned, 30);
    std::sort(found->begin(), found->end(),
              [](const auto& a, const auto& b) { return a.startTime < b.startTime; });

    // Within one frame (0.1 s) of the truth, held half a second either side; a track reaching
    // the last frame ends at the end.
    const TrackedRegion &always = (*found)[0], &briefly = (*found)[1];
    EXPECT_NEAR(always.startTime.seconds(), 0, 1e-6);
    EXPECT_NEAR(always.endTime.seconds(), 3, 1e-6);
    EXPECT_NEAR(briefly.startTime.seconds(), 1.0 - MAX_BRIDGED_LOSS, 0.1 + 1e-6);
    EXPECT_NEAR(briefly.endTime.seconds(), 1.9 + MAX_BRIDGED_LOSS, 0.1 + 1e-6);
    EXPECT_LT(always.samples.front().nominalRect.midX(), 0.5);
    EXPECT_GT(briefly.samples.front().nominalRect.midX(), 0.5);

    // Regions are the detected face grown about its centre.
    auto reader = VideoReader::open(clip, {});
    ASSERT_TRUE(reader);
    VideoFrame frame;
    ASSERT_EQ(reader->read(frame), ReadStatus::frame);
    auto detector = FaceSearch::create(testModels(), {});
    ASSERT_TRUE(detector) << detector.error;
    auto faces = (*detector.value)->detectFaceRectangles(frame.image);
    ASSERT_TRUE(faces && faces->size() == 1u);
    const Rect& face = faces->front().boundingBox;
    const Rect& region = always.samples.front().nominalRect;
    const Rect grown = enlargedFaceRect(face);
    EXPECT_NEAR(region.width / grown.width, 1, 0.05);
    EXPECT_NEAR(region.height / grown.height, 1, 0.05);
    EXPECT_NEAR(region.midX(), face.midX(), 0.01);
    EXPECT_NEAR(region.midY(), face.midY(), 0.01);
}

TEST(FaceScan, AFaceInTheVideosLastFrameOnlyIsFound) {
    TempFolder folder("face-scan");
    const std::string clip = (folder.path() / "last-frame.mp4").string();
    // 1 s at 10 fps, the astronaut in the tenth frame only: faces are searched in every other
    // frame, and this one comes after the last searched frame.
    ASSERT_TRUE(makeClipOfPictures(clip, "gray", "640x360", 1, {testPicturePath("astronaut.png")},
                                   "[1:v]scale=-2:220[a];[0:v][a]overlay=x=200:y=60:enable="
                                   "between(t\\,0.85\\,1)"));
    int framesScanned = 0;
    auto found = scanned(clip, framesScanned);
    ASSERT_TRUE(found);
    EXPECT_EQ(framesScanned, 10);
    ASSERT_EQ(found->size(), 1u);
    EXPECT_NEAR(found->front().startTime.seconds(), 0.9, 1e-6);
    EXPECT_NEAR(found->front().endTime.seconds(), 1.0, 1e-6);
}
