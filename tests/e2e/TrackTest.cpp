#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "project/ProjectReader.h"
#include "support/TempFolder.h"
#include "support/TestMedia.h"

TEST(TrackCommand, RejectsBadBoxesAndTimesBeforeOpeningAnything) {
    std::string clip = testMediaPath("noaudio.mp4");
    for (const char* box : {"0.5,0.5,0.6,0.1", "0,0,0,0.5", "-0.1,0,0.5,0.5", "0.1,0.1,0.2",
                            "nan,0,0.5,0.5", "0.1,0.1,0.2,0.2,0.3", "a,b,c,d"}) {
        auto r = runVeilcut("track " + clip + " --box " + box + " --at 0");
        EXPECT_EQ(r.status, 2) << box;
        EXPECT_NE(r.err.find("--box"), std::string::npos) << r.err;
    }
    for (const char* at : {"-1", "inf", "nan", "1s", "99"}) {
        auto r = runVeilcut("track " + clip + " --box 0.1,0.1,0.2,0.2 --at " + at);
        EXPECT_EQ(r.status, 2) << at;
        EXPECT_NE(r.err.find("--at"), std::string::npos) << r.err;
    }
    EXPECT_EQ(
        runVeilcut("track " + testMediaPath("audio-only.mp4") + " --box 0.1,0.1,0.2,0.2 --at 0")
            .status,
        2);
}

TEST(TrackCommand, TracksAStillPartOfTheTestPictureOverTheWholeClipAndWritesAProject) {
    TempFolder folder("track");
    std::string project = folder.file("p.veilcut.json");
    // The colour bars at the top-left of the test picture stay where they are.
    auto r = runVeilcut("track " + testMediaPath("noaudio.mp4") +
                        " --box 0.05,0.05,0.3,0.3 --at 1 --json -o " + project);
    ASSERT_EQ(r.status, 0) << r.err;
    auto json = nlohmann::json::parse(r.out);
    EXPECT_DOUBLE_EQ(json["object"]["start"].get<double>(), 0);
    EXPECT_DOUBLE_EQ(json["object"]["end"].get<double>(), 2);
    EXPECT_EQ(json["object"]["samples"].size(), 60u);
    auto box = json["object"]["samples"][30]["box"];
    EXPECT_NEAR(box[0].get<double>(), 0.05, 0.02);
    EXPECT_NEAR(box[1].get<double>(), 0.05, 0.02);
    auto read = readProjectFile(project);
    ASSERT_TRUE(read.document) << read.error;
    EXPECT_EQ(read.document->objects.size(), 1u);
}
