#include <gtest/gtest.h>

#include "support/TempFolder.h"
#include "support/TestMedia.h"

// A face of about 20 pixels in a 768-pixel frame: under the whole-frame detector's reach, found
// when tiles of the frame are searched too.
TEST(ScanCommand, SmallFacesAreFoundOnlyWhenAskedFor) {
    TempFolder folder("scan");
    const std::string clip = (folder.path() / "small-face.mp4").string();
    ASSERT_TRUE(makeClipOfPictures(clip, "gray", "768x432", 1,
                                   {testMediaPath("pictures/astronaut.png")},
                                   "[1:v]scale=-2:80[p];[0:v][p]overlay=x=400:y=200"));

    auto plain = runVeilcut("scan " + clip);
    ASSERT_EQ(plain.status, 0) << plain.err;
    EXPECT_EQ(plain.out, "No Face Detected\n");
    auto tiled = runVeilcut("scan " + clip + " --small-faces");
    ASSERT_EQ(tiled.status, 0) << tiled.err;
    EXPECT_EQ(tiled.out, "person 1: 0.000 s to 1.000 s, 10 samples\n");
}

TEST(ScanCommand, VideosAFewPixelsWideAreScannedAndHidden) {
    TempFolder folder("tiny");
    for (int side : {2, 4, 8}) {
        const std::string clip = testMediaPath("tiny-" + std::to_string(side) + ".mp4");
        auto scan = runVeilcut("scan " + clip);
        EXPECT_EQ(scan.status, 0) << side << ": " << scan.err;
        EXPECT_EQ(scan.out, "No Face Detected\n") << side;
        auto anonymized = runVeilcut("anonymize " + clip + " -o " + folder.file("out.mp4") +
                                     " --overwrite");
        EXPECT_EQ(anonymized.status, 0) << side << ": " << anonymized.err;
    }
}
