#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/image/ImageFile.h"
#include "support/TempFolder.h"
#include "support/TestMedia.h"

namespace {

namespace fs = std::filesystem;

struct FrameCommandTest : ::testing::Test {

    std::string project(const std::string& clip, const std::string& shapes) {
        std::string path = (dir / "p.veilcut.json").string();
        std::ofstream(path) << R"({"veilcut": 1, "source": ")" << testMediaPath(clip)
                            << R"(", "shapes": [)" << shapes << "]}";
        return path;
    }
    TempFolder folder{"frame"};
    fs::path dir = folder.path();
};

}  // namespace

TEST_F(FrameCommandTest, DrawsAKeyframedShapeWhereItIsAtThatTime) {
    // A noir rectangle moving from the lower-left quarter (t = 0) to the upper-right (t = 1).
    std::string p = project("noaudio.mp4", R"({"type": "rectangle", "style": "noir", "intensity": 1,
        "rect": [0, 0, 0.5, 0.5], "keyframes": [{"t": 0, "rect": [0, 0, 0.5, 0.5]},
                                                 {"t": 1, "rect": [0.5, 0.5, 0.5, 0.5]}]})");
    std::string out = (dir / "f.png").string();
    auto isGrey = [](const cv::Vec4b& px) { return px[0] == px[1] && px[1] == px[2]; };
    for (auto [at, greyRow, colourRow] : {std::tuple{"0", 270, 90}, std::tuple{"1", 90, 270}}) {
        auto r = runVeilcut("frame " + p + " --at " + at + " -o " + out + " --overwrite");
        ASSERT_EQ(r.status, 0) << r.err;
        auto image = readImageFile(out);
        ASSERT_TRUE(image);
        ASSERT_EQ(image->pixels.size(), cv::Size(640, 360));
        int column = std::string(at) == "0" ? 160 : 480;
        EXPECT_TRUE(isGrey(image->pixels.at<cv::Vec4b>(greyRow, column))) << at;
        EXPECT_FALSE(isGrey(image->pixels.at<cv::Vec4b>(colourRow, column))) << at;
    }
    auto preview = runVeilcut("frame " + p + " --at 0.5 --preview --overwrite -o " + out);
    ASSERT_EQ(preview.status, 0) << preview.err;
    EXPECT_EQ(readImageFile(out)->pixels.size(), cv::Size(1024, 576));
}

TEST_F(FrameCommandTest, BadProjectsAndSourcesFailWithOneLine) {
    std::string out = (dir / "f.png").string();
    auto broken = project("noaudio.mp4", R"({"rect": [0, 0, 0, 1]})");
    auto r = runVeilcut("frame " + broken + " --at 0 -o " + out);
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("shapes[0].rect: width must be > 0"), std::string::npos) << r.err;

    for (const char* clip : {"audio-only.mp4", "missing.mp4"}) {
        auto noVideo = runVeilcut("frame " + project(clip, "") + " --at 0 -o " + out);
        EXPECT_EQ(noVideo.status, 2) << clip;
        EXPECT_EQ(noVideo.err.rfind("veilcut: error: ", 0), 0u) << noVideo.err;
    }
    EXPECT_EQ(runVeilcut("frame " + project("noaudio.mp4", "") + " --at -3 -o " + out).status, 2);
    EXPECT_FALSE(fs::exists(out));
}
