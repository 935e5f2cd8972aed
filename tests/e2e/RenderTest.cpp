#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <opencv2/core.hpp>

#include "core/SourceVideo.h"
#include "platform/image/ImageFile.h"
#include "platform/media/VideoReader.h"
#include "support/TempFolder.h"
#include "support/TestMedia.h"

namespace {

namespace fs = std::filesystem;

struct RenderCommandTest : ::testing::Test {
    void SetUp() override {
        fs::copy_file(testMediaPath("noaudio.mp4"), dir / "clip.mp4");
        std::ofstream(dir / "p.veilcut.json")
            << R"({"veilcut": 1, "source": "clip.mp4", "shapes": [{"type": "rectangle",
                  "style": "pixellate", "intensity": 1, "rect": [0.25, 0.25, 0.5, 0.5]}]})";
    }
    std::string render(const std::string& out, const std::string& extra = "") {
        return "render " + (dir / "p.veilcut.json").string() + " -o " + out + " " + extra;
    }
    // Names in the folder other than the project and its source: leftovers of an export.
    std::vector<std::string> strayFiles() {
        std::vector<std::string> names;
        for (auto& e : fs::directory_iterator(dir))
            if (e.path().filename() != "clip.mp4" && e.path().filename() != "p.veilcut.json")
                names.push_back(e.path().filename().string());
        return names;
    }
    TempFolder folder{"render"};
    fs::path dir = folder.path();
};

}  // namespace

TEST_F(RenderCommandTest, WritesTheMovieUnderItsNameAndLeavesNothingElse) {
    std::string out = (dir / "out.mp4").string();
    auto r = runVeilcut(render(out));
    ASSERT_EQ(r.status, 0) << r.err;
    SourceVideo written(out);
    written.waitUntilLoaded();
    EXPECT_EQ(written.size(), (Size{640, 360}));
    EXPECT_NEAR(written.duration()->seconds(), 2.0, 0.05);
    EXPECT_EQ(strayFiles(), std::vector<std::string>{"out.mp4"});
    // Plain percentage lines when stderr is not a terminal, ending at 100 %.
    EXPECT_NE(r.err.find("exporting 100%"), std::string::npos) << r.err;
}

TEST_F(RenderCommandTest, FixedLogLinesShowOnlyWithVerbose) {
    std::string out = (dir / "out.mp4").string();
    auto quiet = runVeilcut(render(out));
    ASSERT_EQ(quiet.status, 0) << quiet.err;
    EXPECT_EQ(quiet.err.find("Completed!"), std::string::npos) << quiet.err;
    EXPECT_EQ(quiet.err.find("TimeInterval"), std::string::npos) << quiet.err;
    auto verbose = runVeilcut("--verbose " + render(out, "--overwrite"));
    ASSERT_EQ(verbose.status, 0) << verbose.err;
    EXPECT_NE(verbose.err.find("Completed!"), std::string::npos) << verbose.err;
    auto afterTheCommand = runVeilcut(render(out, "--overwrite --verbose"));
    EXPECT_NE(afterTheCommand.err.find("TimeInterval: "), std::string::npos) << afterTheCommand.err;
    ::setenv("VEILCUT_LOG", "debug", 1);
    auto byEnvironment = runVeilcut(render(out, "--overwrite"));
    ::unsetenv("VEILCUT_LOG");
    EXPECT_NE(byEnvironment.err.find("Completed!"), std::string::npos) << byEnvironment.err;
}

TEST_F(RenderCommandTest, NeverOverwritesUnlessToldAndNeverTheSource) {
    std::string out = (dir / "out.mp4").string();
    std::ofstream(out) << "keep me";
    auto refused = runVeilcut(render(out));
    EXPECT_EQ(refused.status, 2);
    EXPECT_NE(refused.err.find("exists (use --overwrite"), std::string::npos);
    EXPECT_EQ(fs::file_size(out), 7u);

    auto size = fs::file_size(dir / "clip.mp4");
    auto source = runVeilcut(render((dir / "clip.mp4").string(), "--overwrite"));
    EXPECT_EQ(source.status, 2);
    EXPECT_NE(source.err.find("is the source video"), std::string::npos);
    EXPECT_EQ(fs::file_size(dir / "clip.mp4"), size);

    EXPECT_EQ(runVeilcut(render(out, "--overwrite")).status, 0);
    EXPECT_GT(fs::file_size(out), 1000u);
}

TEST_F(RenderCommandTest, UnwritableDestinationsFailBeforeAnyWork) {
    auto missing = runVeilcut(render((dir / "no" / "such" / "out.mp4").string()));
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.err.find("no such folder"), std::string::npos) << missing.err;
    auto folder = runVeilcut(render(dir.string()));
    EXPECT_EQ(folder.status, 2);
}

TEST_F(RenderCommandTest, AnotherDecoderSeesEveryFrameAtItsTimeAndTheShapeStyled) {
    // Read back by the ffmpeg tools rather than our own reader, which could share a fault with
    // the writer.
    std::ofstream(dir / "p.veilcut.json")
        << R"({"veilcut": 1, "source": "clip.mp4", "shapes": [{"type": "rectangle",
              "style": "noir", "intensity": 1, "softness": 0, "rect": [0.25, 0.25, 0.5, 0.5]}]})";
    std::string out = (dir / "out.mp4").string(), source = (dir / "clip.mp4").string();
    ASSERT_EQ(runVeilcut(render(out)).status, 0);
    auto frameTimes = [](const std::string& movie) {
        return runCommand(
                   "ffprobe -v error -select_streams v:0 -show_entries frame=pts_time "
                   "-of csv=p=0 " +
                   movie)
            .out;
    };
    const std::string times = frameTimes(source);
    EXPECT_EQ(std::count(times.begin(), times.end(), '\n'), 61);
    EXPECT_EQ(frameTimes(out), times);

    // The frame at 1 s: inside the rectangle the colour bars have turned grey; outside it the
    // source is kept up to encoder noise. In RGB, as the movies' colour tags say: the export
    // tags BT.709 where the source said nothing.
    auto picture = [](const std::string& movie) {
        std::string bytes = runCommand("ffmpeg -v error -ss 1 -i " + movie +
                                       " -frames:v 1 -f rawvideo -pix_fmt rgb24 -")
                                .out;
        bytes.resize(640 * 360 * 3);
        return cv::Mat(360, 640, CV_8UC3, bytes.data()).clone();
    };
    cv::Mat before = picture(source), after = picture(out);
    auto colourfulness = [](const cv::Mat& area) {
        cv::Mat channels[3], redGreen, greenBlue;
        cv::split(area, channels);
        cv::absdiff(channels[0], channels[1], redGreen);
        cv::absdiff(channels[1], channels[2], greenBlue);
        return cv::mean(redGreen)[0] + cv::mean(greenBlue)[0];
    };
    const cv::Rect inside(180, 100, 280, 160), outside(0, 0, 640, 80);
    EXPECT_GT(colourfulness(before(inside)), 100);
    EXPECT_LT(colourfulness(after(inside)), 10);
    cv::Mat difference;
    cv::absdiff(after(outside), before(outside), difference);
    EXPECT_LT(cv::norm(cv::mean(difference)), 3.0);
}

TEST_F(RenderCommandTest, RegionsLandWhereTheFrameCommandShowsThem) {
    std::ofstream(dir / "p.veilcut.json")
        << R"({"veilcut": 1, "source": "clip.mp4", "shapes": [{"type": "rectangle",
              "style": "noir", "intensity": 1, "rect": [0.1, 0.5, 0.3, 0.4],
              "keyframes": [{"t": 0, "rect": [0.1, 0.5, 0.3, 0.4]}, {"t": 2, "rect": [0.6, 0.1, 0.3, 0.4]}]}]})";
    std::string out = (dir / "out.mp4").string(), still = (dir / "still.png").string();
    ASSERT_EQ(runVeilcut(render(out)).status, 0);
    ASSERT_EQ(runVeilcut("frame " + (dir / "p.veilcut.json").string() + " --at 1 -o " + still).status, 0);
    auto expected = readImageFile(still);
    ASSERT_TRUE(expected);

    auto reader = VideoReader::open(out, VideoReaderSettings{});
    ASSERT_TRUE(reader);
    ASSERT_TRUE(reader->setRange({MediaTime(1, 1), MediaTime(1, 30)}));
    VideoFrame frame;
    ASSERT_EQ(reader->read(frame), ReadStatus::frame);
    ASSERT_EQ(frame.image.pixels.size(), expected->pixels.size());
    // Same picture up to encoder noise; a misplaced region would differ by far more.
    cv::Mat difference;
    cv::absdiff(frame.image.pixels, expected->pixels, difference);
    EXPECT_LT(cv::mean(difference)[1], 6.0);
}
