#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/SourceVideo.h"
#include "support/TempFolder.h"
#include "support/TestMedia.h"

namespace {

namespace fs = std::filesystem;

struct DamagedSourceTest : ::testing::Test {
    // Renders a project that draws one rectangle over `clip`.
    CommandResult render(const std::string& clip) {
        std::string project = (dir / "p.veilcut.json").string();
        std::ofstream(project)
            << R"({"veilcut": 1, "source": ")" << testMediaPath(clip)
            << R"(", "shapes": [{"type": "rectangle", "rect": [0, 0, 0.5, 0.5]}]})";
        return runVeilcut("render " + project + " -o " + out);
    }
    TempFolder folder{"damaged"};
    fs::path dir = folder.path();
    std::string out = (dir / "out.mp4").string();
};

}  // namespace

TEST_F(DamagedSourceTest, DamagedAudioIsSilencedWithOneWarningAndTheExportGoesOn) {
    auto r = render("bad-audio.mp4");
    ASSERT_EQ(r.status, 0) << r.err;
    std::string warning = "veilcut: warning: " + testMediaPath("bad-audio.mp4") +
                          ": damaged audio replaced with silence\n";
    auto first = r.err.find(warning);
    EXPECT_NE(first, std::string::npos) << r.err;
    EXPECT_EQ(r.err.find(warning, first + 1), std::string::npos) << r.err;
    SourceVideo written(out);
    written.waitUntilLoaded();
    EXPECT_EQ(written.trackAudios()->size(), 1u);
    EXPECT_NEAR(written.duration()->seconds(), 2.0, 0.05);
}

TEST_F(DamagedSourceTest, DamagedVideoFailsTheExportAndLeavesNoFile) {
    auto r = render("bad-video.mp4");
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find("cannot decode the video"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(out));
}

TEST_F(DamagedSourceTest, SourcesThatCannotBeShownSayWhyInOneLine) {
    struct Case {
        const char* clip;
        const char* reason;
    };
    for (auto [clip, reason] :
         {Case{"empty.mp4", "the file is empty"},
          Case{"garbage.mp4", "not a video Veilcut can read"},
          Case{"moov-cut.mp4", "the file is truncated or damaged"},
          Case{"audio-only.mp4", "no video track"},
          Case{"rot45.mp4",
               "its rotation tag turns the picture by 45 degrees; only quarter turns "
               "are supported"}}) {
        auto r = render(clip);
        EXPECT_EQ(r.status, 2) << clip;
        EXPECT_EQ(r.err, "veilcut: error: " + testMediaPath(clip) + ": " + reason + "\n");
        EXPECT_FALSE(fs::exists(out)) << clip;
    }
}
