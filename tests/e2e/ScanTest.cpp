#include <gtest/gtest.h>

#include <algorithm>

#include "support/TempFolder.h"
#include "support/TestMedia.h"

// A face of about 20 pixels in a 768-pixel frame (28 in a 1080p one), far too small in the
// whole frame for BlazeFace: every scan finds it in the tiles and follows it.
TEST(ScanCommand, SmallFacesAreFoundByDefault) {
    TempFolder folder("scan");
    const std::string clip = (folder.path() / "small-face.mp4").string();
    ASSERT_TRUE(makeClipOfPictures(clip, "gray", "768x432", 1,
                                   {testMediaPath("pictures/astronaut.png")},
                                   "[1:v]scale=-2:80[p];[0:v][p]overlay=x=400:y=200"));

    for (const char* options : {"", " --small-faces", " --fast"}) {
        auto scan = runVeilcut("scan " + clip + options);
        ASSERT_EQ(scan.status, 0) << options << ": " << scan.err;
        EXPECT_EQ(scan.out, "person 1: 0.000 s to 1.000 s, 10 samples\n") << options;
    }
    // One reach at a time: asking for both is a mistake, not a choice of one.
    auto both = runVeilcut("scan " + clip + " --fast --small-faces");
    EXPECT_EQ(both.status, 2);
    EXPECT_EQ(both.out, "");
    EXPECT_NE(both.err.find("--fast"), std::string::npos) << both.err;
    EXPECT_EQ(std::count(both.err.begin(), both.err.end(), '\n'), 1) << both.err;
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
