// What every command that writes files promises: never over a file it reads, never over an
// existing file unless told to, never over anything but a regular file, and a destination that
// holds either its old contents or the whole new file, whatever happens to the process.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>

#include <cctype>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <set>

#include "support/FileContents.h"
#include "support/RunningVeilcut.h"
#include "support/TempFolder.h"
#include "support/TestMedia.h"

namespace {

namespace fs = std::filesystem;

// Whether `text` holds the start of an upper-case UUID ("1B4E28BA-2FA1-"), as temporary names do.
bool namesAUuid(const std::string& text) {
    auto hex = [&](size_t from, size_t count) {
        for (size_t i = from; i < from + count; ++i)
            if (!std::isxdigit(static_cast<unsigned char>(text[i])) || std::islower(text[i]))
                return false;
        return true;
    };
    for (size_t at = 0; at + 14 <= text.size(); ++at)
        if (hex(at, 8) && text[at + 8] == '-' && hex(at + 9, 4) && text[at + 13] == '-')
            return true;
    return false;
}

struct OutputFileTest : ::testing::Test {
    void SetUp() override {
        fs::copy_file(testMediaPath("noaudio.mp4"), dir / "clip.mp4");
        writeProject("p.json", "clip.mp4");
        // A video whose name says picture, and a project whose name does.
        fs::copy_file(testMediaPath("noaudio.mp4"), dir / "v.png");
        writeProject("pv.json", "v.png");
        writeProject("project.png", "clip.mp4");
        fs::copy_file(testMediaPath("pictures/astronaut.png"), dir / "picture.png");
    }
    void writeProject(const std::string& name, const std::string& source) {
        std::ofstream(dir / name) << R"({"veilcut": 1, "source": ")" << source
                                  << R"(", "shapes": [{"type": "rectangle", "style": "pixellate",
                                  "intensity": 1, "rect": [0.25, 0.25, 0.5, 0.5]}]})";
    }
    std::string at(const std::string& name) const { return (dir / name).string(); }
    // Names in the folder that the test did not put there.
    std::vector<std::string> newFiles(const std::vector<std::string>& expected = {}) const {
        static const std::set<std::string> setUp{"clip.mp4", "p.json",      "v.png",
                                                 "pv.json",  "project.png", "picture.png"};
        std::vector<std::string> names;
        for (auto& e : fs::directory_iterator(dir)) {
            std::string name = e.path().filename().string();
            if (!setUp.count(name) &&
                std::find(expected.begin(), expected.end(), name) == expected.end())
                names.push_back(name);
        }
        return names;
    }
    TempFolder folder{"outputs"};
    fs::path dir = folder.path();
};

}  // namespace

TEST_F(OutputFileTest, NoCommandWritesOverAFileItReadsEvenWhenToldToOverwrite) {
    struct Case {
        std::string arguments, protectedFile;
    };
    const Case cases[] = {
        {"scan " + at("clip.mp4") + " -o " + at("clip.mp4"), "clip.mp4"},
        {"track " + at("clip.mp4") + " --box 0.4,0.4,0.2,0.2 --at 0.5 -o " + at("clip.mp4"),
         "clip.mp4"},
        {"anonymize " + at("clip.mp4") + " -o " + at("a.mp4") + " --save-project " + at("clip.mp4"),
         "clip.mp4"},
        {"frame " + at("pv.json") + " --at 0.5 -o " + at("v.png"), "v.png"},
        {"frame " + at("project.png") + " --at 0.5 -o " + at("project.png"), "project.png"},
        {"render " + at("p.json") + " -o " + at("p.json"), "p.json"},
        {"detect " + at("picture.png") + " --faces -o " + at("picture.png"), "picture.png"},
        {"style gaussian 0.5 --input " + at("picture.png") + " -o " + at("picture.png"),
         "picture.png"},
    };
    for (const Case& c : cases) {
        const std::string before = fileContents(dir / c.protectedFile);
        auto r = runVeilcut(c.arguments + " --overwrite");
        EXPECT_EQ(r.status, 2) << c.arguments;
        EXPECT_NE(r.err.find(c.protectedFile + ": is "), std::string::npos) << r.err;
        EXPECT_EQ(fileContents(dir / c.protectedFile), before) << c.arguments;
        EXPECT_EQ(newFiles(), std::vector<std::string>{}) << c.arguments;
    }
    // Nor does one output land on another.
    auto both = runVeilcut("anonymize " + at("clip.mp4") + " -o " + at("a.mp4") +
                           " --save-project " + at("a.mp4"));
    EXPECT_EQ(both.status, 2);
    EXPECT_EQ(newFiles(), std::vector<std::string>{});
}

TEST_F(OutputFileTest, AnExistingFileIsReplacedOnlyWhenToldAndOnlyARegularOne) {
    const std::string outputs[] = {
        "scan " + at("clip.mp4") + " -o " + at("out"),
        "frame " + at("p.json") + " --at 0.5 -o " + at("out.png"),
        "style gaussian 0.5 --size 64x64 -o " + at("out.jpg"),
    };
    for (const std::string& command : outputs) {
        const std::string path = command.substr(command.rfind(' ') + 1);
        std::ofstream(path) << "keep me";
        auto refused = runVeilcut(command);
        EXPECT_EQ(refused.status, 2) << command;
        EXPECT_NE(refused.err.find("exists (use --overwrite"), std::string::npos) << refused.err;
        EXPECT_EQ(fileContents(path), "keep me");
        auto replaced = runVeilcut(command + " --overwrite");
        EXPECT_EQ(replaced.status, 0) << command << replaced.err;
        EXPECT_GT(fs::file_size(path), 100u) << command;
        fs::remove(path);

        // A pipe, or a folder, under that name is refused even with --overwrite.
        ::mkfifo(path.c_str(), 0600);
        auto pipe = runVeilcut(command + " --overwrite");
        EXPECT_EQ(pipe.status, 2) << command;
        EXPECT_NE(pipe.err.find(": is not a regular file"), std::string::npos) << pipe.err;
        EXPECT_TRUE(fs::is_fifo(path));
        fs::remove(path);
        fs::create_directory(path);
        EXPECT_EQ(runVeilcut(command + " --overwrite").status, 2) << command;
        EXPECT_TRUE(fs::is_directory(path));
        fs::remove(path);
    }
    // A device node, where this machine lets the test make one (/dev/full's numbers).
    if (::mknod(at("full").c_str(), S_IFCHR | 0600, makedev(1, 7)) == 0) {
        auto device = runVeilcut("render " + at("p.json") + " -o " + at("full") + " --overwrite");
        EXPECT_EQ(device.status, 2);
        EXPECT_TRUE(fs::is_character_file(dir / "full"));
    }
}

TEST_F(OutputFileTest, AFailedOverwriteKeepsTheOldFileAndTheErrorNamesTheDestination) {
    std::ofstream(dir / "out.mp4") << "the old movie";
    // Files over 40 KiB refused, as on a full disk; the refusal is an error, not a signal.
    RunningVeilcut render("render " + at("p.json") + " -o " + at("out.mp4") + " --overwrite",
                          "ulimit -f 40; trap '' XFSZ;");
    EXPECT_EQ(render.finish(), 1) << render.err();
    EXPECT_NE(render.err().find("veilcut: error: cannot write " + at("out.mp4")), std::string::npos)
        << render.err();
    EXPECT_FALSE(namesAUuid(render.err()))
        << "the error names the temporary file: " << render.err();
    EXPECT_EQ(fileContents(dir / "out.mp4"), "the old movie");
    EXPECT_EQ(newFiles({"out.mp4"}), std::vector<std::string>{});
}

TEST_F(OutputFileTest, ASignalDuringAnOverwriteKeepsTheOldFileAndLeavesNothingElse) {
    // The 1080p clip takes seconds to export, and the signal follows the first progress line.
    fs::copy_file(testMediaPath("hd.mp4"), dir / "clip.mp4", fs::copy_options::overwrite_existing);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        std::ofstream(dir / "out.mp4") << "the old movie";
        RunningVeilcut render("render " + at("p.json") + " -o " + at("out.mp4") + " --overwrite");
        ASSERT_TRUE(render.waitForLineStarting("exporting")) << render.err();
        render.send(signal);
        EXPECT_EQ(render.finish(), 128 + signal) << render.err();
        EXPECT_NE(render.err().find("cancelled; nothing was written"), std::string::npos)
            << render.err();
        EXPECT_EQ(fileContents(dir / "out.mp4"), "the old movie") << "signal " << signal;
        EXPECT_EQ(newFiles({"out.mp4"}), std::vector<std::string>{}) << "signal " << signal;
    }
}

TEST_F(OutputFileTest, AReaderOfTheOutputThatGoesAwayDoesNotStopTheWork) {
    const std::string command = "bash -c '" + std::string(VEILCUT_BINARY) + " render " +
                                at("p.json") + " -o " + at("out.mp4") +
                                " 2>&1 | head -1 >/dev/null; exit ${PIPESTATUS[0]}'";
    EXPECT_EQ(WEXITSTATUS(std::system(command.c_str())), 0);
    EXPECT_GT(fs::file_size(dir / "out.mp4"), 1000u);
    EXPECT_EQ(newFiles({"out.mp4"}), std::vector<std::string>{});
}
