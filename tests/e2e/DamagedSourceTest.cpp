#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

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
