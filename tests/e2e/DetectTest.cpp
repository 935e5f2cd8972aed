#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "support/TempFolder.h"
#include "support/TestMedia.h"

TEST(DetectCommand, FindsTheFaceInAPictureAndInAVideoFrameAtAGivenTime) {
    TempFolder folder("detect");
    const std::string picture = testMediaPath("pictures/astronaut.png");
    // Black for the first second, then the photograph: the time picks the frame.
    const std::string clip = (folder.path() / "astronaut.mp4").string();
    ASSERT_TRUE(makeClipOfPictures(clip, "black", "512x512", 2, {picture},
                                   "[1:v]scale=512:512[p];[0:v][p]overlay=enable=gte(t\\,1)"));

    auto facesIn = [](const CommandResult& r) {
        EXPECT_EQ(r.status, 0) << r.err;
        return nlohmann::json::parse(r.out, nullptr, false).value("faces", nlohmann::json::array());
    };
    const auto fromPicture = facesIn(runVeilcut("detect " + picture + " --faces"));
    ASSERT_EQ(fromPicture.size(), 1u);
    EXPECT_GT(fromPicture[0]["boundingBox"][1].get<double>(), 0.4);  // upper half, y up

    EXPECT_EQ(facesIn(runVeilcut("detect " + clip + " --faces")).size(), 0u);  // black at 0
    const auto fromVideo = facesIn(runVeilcut("detect " + clip + " --at 1.5 --faces"));
    ASSERT_EQ(fromVideo.size(), 1u);
    for (int k = 0; k < 4; ++k)
        EXPECT_NEAR(fromVideo[0]["boundingBox"][k].get<double>(),
                    fromPicture[0]["boundingBox"][k].get<double>(), 0.03);
}

TEST(DetectCommand, RejectsBadTimesAndFilesThatAreNeitherPictureNorVideo) {
    auto bad = runVeilcut("detect " + testMediaPath("hd.mp4") + " --at soon");
    EXPECT_EQ(bad.status, 2);
    EXPECT_EQ(bad.err, "veilcut: error: --at must be a number of seconds from 0, not 'soon'\n");
    auto garbage = runVeilcut("detect " + testMediaPath("garbage.mp4"));
    EXPECT_NE(garbage.status, 0);
    EXPECT_EQ(garbage.err, "veilcut: error: cannot read " + testMediaPath("garbage.mp4") +
                               " as a picture or a video\n");
}
