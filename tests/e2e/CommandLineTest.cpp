#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "support/TempFolder.h"
#include "support/TestMedia.h"

namespace {

namespace fs = std::filesystem;

const char* const COMMANDS[] = {"info", "detect",    "frame", "render",
                                "scan", "anonymize", "track", "style"};

// A command line of each command that would run: every required argument given, outputs in
// `folder`. Any readable file passes for a project until the command runs.
std::vector<std::string> runnableLines(const TempFolder& folder) {
    const std::string clip = testMediaPath("noaudio.mp4");
    const std::string picture = folder.file("out.png"), movie = folder.file("out.mp4");
    return {"info " + clip,
            "detect " + clip,
            "frame " + clip + " --at 0 -o " + picture,
            "render " + clip + " -o " + movie,
            "scan " + clip,
            "anonymize " + clip + " -o " + movie,
            "track " + clip + " --box 0.1,0.1,0.2,0.2 --at 0",
            "style gaussian 0.5 -o " + picture};
}

void expectOneErrorLine(const CommandResult& r, const std::string& line) {
    EXPECT_EQ(r.status, 2) << line;
    EXPECT_EQ(r.err.rfind("veilcut: error: ", 0), 0u) << line << ": " << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << line << ": " << r.err;
    EXPECT_EQ(r.out, "") << line;
}

}  // namespace

TEST(CommandLine, EveryCommandAnswersHelpWithItsUsage) {
    auto help = runVeilcut("--help");
    ASSERT_EQ(help.status, 0);
    for (const char* command : COMMANDS) {
        EXPECT_NE(help.out.find(std::string("\n  ") + command + " "), std::string::npos)
            << command << " is not listed:\n"
            << help.out;
        for (const char* flag : {"--help", "-h"}) {
            auto r = runVeilcut(std::string(command) + " " + flag);
            EXPECT_EQ(r.status, 0) << command << " " << flag << ": " << r.err;
            EXPECT_EQ(r.out.rfind(std::string("usage: veilcut ") + command, 0), 0u) << r.out;
            EXPECT_NE(r.out.find("--help"), std::string::npos) << r.out;
            EXPECT_EQ(r.err, "") << command;
        }
    }
    // The usage line is made from the option table: required ones bare, the rest in brackets.
    EXPECT_EQ(runVeilcut("render --help")
                  .out.rfind("usage: veilcut render PROJECT -o OUT.mp4 [--overwrite]\n", 0),
              0u);
}

TEST(CommandLine, UnknownOptionsAndStrayArgumentsGiveOneErrorLineBeforeAnyWork) {
    TempFolder folder("command-line");
    for (const std::string& line : runnableLines(folder)) {
        auto unknown = runVeilcut(line + " --no-such-option");
        expectOneErrorLine(unknown, line);
        EXPECT_NE(unknown.err.find("--no-such-option"), std::string::npos) << unknown.err;
        expectOneErrorLine(runVeilcut(line + " stray"), line + " stray");
    }
    // A missing value, a missing argument, and an option before the command's name.
    for (const char* line : {"scan -o", "track --at 0 --box 0.1,0.1,0.2,0.2", "--json info"})
        expectOneErrorLine(runVeilcut(line), line);
    EXPECT_TRUE(fs::is_empty(folder.path()));
}

TEST(CommandLine, ValuesOutOfRangeAreRefusedWithTheirReasons) {
    TempFolder folder("ranges");
    const std::string anonymize =
        "anonymize " + testMediaPath("noaudio.mp4") + " -o " + folder.file("out.mp4") + " ";
    const std::pair<const char*, const char*> cases[] = {
        {"--intensity 1.5", "--intensity must be a number from 0 to 1, not '1.5'"},
        {"--softness -0.1", "--softness must be a number from 0 to 1, not '-0.1'"},
        {"--scale 0.05", "--scale must be a number from 0.1 to 10, not '0.05'"},
        {"--scale 11", "--scale must be a number from 0.1 to 10, not '11'"},
        {"--type none", "--type must be circle, rectangle or emoji"},
        {"--style blurry", "unknown style 'blurry'"},
        {"--background blurry", "unknown background style 'blurry'"},
    };
    for (auto [option, reason] : cases) {
        auto r = runVeilcut(anonymize + option);
        expectOneErrorLine(r, option);
        EXPECT_EQ(r.err.find(std::string("veilcut: error: ") + reason), 0u) << r.err;
    }
    EXPECT_TRUE(fs::is_empty(folder.path()));
    // The ends of the ranges are allowed: what fails then is the missing destination folder.
    auto edges = runVeilcut("anonymize " + testMediaPath("noaudio.mp4") +
                            " -o /no/such/out.mp4 --intensity 0 --softness 1 --scale 10");
    EXPECT_NE(edges.err.find("no such folder"), std::string::npos) << edges.err;
}

TEST(CommandLine, DoubleDashEndsTheOptions) {
    TempFolder folder("double-dash");
    fs::copy_file(testMediaPath("noaudio.mp4"), folder.path() / "-x.mp4");
    const fs::path before = fs::current_path();
    fs::current_path(folder.path());
    auto taken = runVeilcut("info --json -- -x.mp4");
    auto refused = runVeilcut("info --json -x.mp4");
    fs::current_path(before);
    ASSERT_EQ(taken.status, 0) << taken.err;
    EXPECT_EQ(nlohmann::json::parse(taken.out)["path"], "-x.mp4");
    EXPECT_EQ(refused.status, 2);
}

// The encoder takes even sizes: a one-pixel video cannot be exported, which is known as soon as
// it is open, before the face scan.
TEST(CommandLine, AVideoTooSmallToExportIsRefusedBeforeTheWork) {
    TempFolder folder("one-pixel");
    const std::string clip = testMediaPath("one-pixel.mp4"), out = folder.file("out.mp4");
    auto anonymize = runVeilcut("anonymize " + clip + " -o " + out);
    expectOneErrorLine(anonymize, "anonymize");
    EXPECT_NE(anonymize.err.find("too small to export"), std::string::npos) << anonymize.err;

    std::ofstream(folder.file("p.veilcut.json"))
        << R"({"veilcut": 1, "source": ")" << clip << R"("})";
    auto render = runVeilcut("render " + folder.file("p.veilcut.json") + " -o " + out);
    expectOneErrorLine(render, "render");
    EXPECT_FALSE(fs::exists(out));

    // What only reads the video works on it.
    EXPECT_EQ(runVeilcut("info " + clip).status, 0);
    auto scan = runVeilcut("scan " + clip);
    EXPECT_EQ(scan.status, 0) << scan.err;
    EXPECT_EQ(scan.out, "No Face Detected\n");
}

TEST(CommandLine, TheEditorNeedsADisplay) {
    // No display named, and not the tests' offscreen Qt platform either.
    std::vector<std::pair<std::string, std::string>> saved;
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        if (const char* value = std::getenv(name)) saved.emplace_back(name, value);
        ::unsetenv(name);
    }
    auto open = runVeilcut("open");
    auto bare = runVeilcut("");
    for (const auto& [name, value] : saved) ::setenv(name.c_str(), value.c_str(), 1);
    EXPECT_EQ(open.status, 2);
    EXPECT_NE(open.err.find("veilcut: error: no display"), std::string::npos) << open.err;
    EXPECT_EQ(bare.status, 0);
    EXPECT_NE(bare.out.find("usage: veilcut"), std::string::npos) << bare.out;
}
