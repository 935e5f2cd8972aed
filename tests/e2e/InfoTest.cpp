#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "support/TestMedia.h"

namespace {

nlohmann::json infoJson(const std::string& clip) {
    auto r = runVeilcut("info --json " + testMediaPath(clip));
    EXPECT_EQ(r.status, 0) << r.err;
    return nlohmann::json::parse(r.out);
}

}  // namespace

TEST(InfoCommand, ReportsUprightSizeRotationAndHdr) {
    auto portrait = infoJson("portrait.mp4");
    EXPECT_EQ(portrait["width"], 1080);
    EXPECT_EQ(portrait["height"], 1920);
    EXPECT_EQ(portrait["rotation"], 90);
    EXPECT_EQ(portrait["hdr"], false);
    EXPECT_EQ(portrait["videoTracks"], 1);

    auto hlg = infoJson("hlg.mp4");
    EXPECT_EQ(hlg["hdr"], true);
    EXPECT_EQ(hlg["transfer"], "HLG");

    auto hd = infoJson("hd.mp4");
    EXPECT_EQ(hd["audioTracks"], 1);
    EXPECT_EQ(hd["duration"]["value"].get<int64_t>() % hd["duration"]["timescale"].get<int64_t>(), 0);
}

TEST(InfoCommand, FilesWithoutVideoGiveNullFactsAndSucceed) {
    auto audio = infoJson("audio-only.mp4");
    EXPECT_TRUE(audio["width"].is_null());
    EXPECT_TRUE(audio["frameRate"].is_null());
    EXPECT_EQ(audio["videoTracks"], 0);
    EXPECT_EQ(audio["audioTracks"], 1);

    auto garbage = infoJson("garbage.mp4");
    EXPECT_TRUE(garbage["duration"].is_null());
    EXPECT_TRUE(garbage["videoTracks"].is_null());
}

TEST(InfoCommand, UnreadablePathsAndBadUsageFailWithOneLine) {
    for (const std::string args : {"info /no/such/clip.mp4", "info /tmp", "info", "nonsense"}) {
        auto r = runVeilcut(args);
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_EQ(r.err.rfind("veilcut: error: ", 0), 0u) << args << ": " << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    }
}

TEST(InfoCommand, HelpListsTheCommandsAndVersionPrints) {
    auto help = runVeilcut("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("info"), std::string::npos);
    auto version = runVeilcut("--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("veilcut ", 0), 0u);
}
