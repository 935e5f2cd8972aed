#include <gtest/gtest.h>

#include <cstdlib>
#include <nlohmann/json.hpp>

#include "support/TempFolder.h"
#include "support/TestMedia.h"

TEST(DetectCommand, FindsTheFaceInAPictureAndInAVideoFrameAtAGivenTime) {
    TempFolder folder("detect");
    const std::string picture = testMediaPath("pictures/astronaut.png");
    // Black for the first second, then the photograph: the time picks the frame.
    const std::string clip = (folder.path() / "astronaut.mp4").string();
    const std::string make =
        "ffmpeg -nostdin -loglevel error -y -f lavfi -i color=black:s=512x512:d=1:r=10 -loop 1 "
        "-framerate 10 -t 1 -i " +
        picture +
        " -filter_complex '[1:v]scale=512:512[p];[0:v][p]concat=n=2:v=1' -c:v libx264 -pix_fmt "
        "yuv420p " +
        clip;
    ASSERT_EQ(std::system(make.c_str()), 0);

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
