// `veilcut anonymize` over folders: each file its own run, bad files listed while the good ones
// are done, an audit report beside each movie, and a second run that skips what is complete.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <nlohmann/json.hpp>

#include "support/FileContents.h"
#include "support/RunningVeilcut.h"
#include "support/TempFolder.h"
#include "support/TestMedia.h"

namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;

std::string quoted(const fs::path& path) {
    std::string text = "'";
    text += path.string();
    text += '\'';
    return text;
}

// The digest as sha256sum, a program apart from ours, gives it.
std::string sha256sum(const fs::path& path) {
    TempFolder scratch("sha");
    std::string out = scratch.file("sum");
    std::system(("sha256sum " + quoted(path) + " > " + out).c_str());
    return fileContents(out).substr(0, 64);
}

void makePlainClip(const fs::path& out, const std::string& size, int seconds) {
    std::string command = "ffmpeg -nostdin -loglevel error -y -f lavfi -i testsrc2=size=" + size +
                          ":rate=30:duration=" + std::to_string(seconds) +
                          " -c:v libx264 -preset ultrafast -pix_fmt yuv420p " + quoted(out);
    ASSERT_EQ(std::system(command.c_str()), 0);
}

// Every file under `folder`, relative to it, folders left out.
std::vector<std::string> filesUnder(const fs::path& folder) {
    std::vector<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (!entry.is_directory()) files.push_back(entry.path().lexically_relative(folder));
    std::sort(files.begin(), files.end());
    return files;
}

// Lines of `text` that start with `start`.
std::vector<std::string> linesStarting(const std::string& text, const std::string& start) {
    std::vector<std::string> lines;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        if (text.compare(at, start.size(), start) == 0) lines.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    return lines;
}

class BatchAnonymizeTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(in / "sub");
        std::string face = std::string(VEILCUT_SOURCE_DIR) + "/scripts/make-face-clip.sh " +
                           quoted(in / "face, front.mp4") + " 1 1 320x240";
        ASSERT_EQ(std::system(face.c_str()), 0);
        makePlainClip(in / "sub" / "plain.mov", "64x64", 1);
    }

    TempFolder folder{"batch"};
    const fs::path in = folder.path() / "in", out = folder.path() / "out";
};

}  // namespace

TEST_F(BatchAnonymizeTest, GoodFilesAreDoneBadOnesListedAndARerunSkipsWhatIsComplete) {
    // Broken half-way (the header promises frames the file lacks), not a video, and a pipe that
    // would block a reader: none is readable, whatever the user's permissions.
    fs::copy_file(testMediaPath("truncated.mp4"), in / "broken.mp4");
    std::ofstream(in / "notes.txt") << "not a video";
    ASSERT_EQ(::mkfifo((in / "sub" / "pipe.mp4").c_str(), 0600), 0);

    const std::string batch =
        "anonymize " + quoted(in) + " -o " + quoted(out) + " --recursive --jobs 2";
    auto run = runVeilcut(batch + " --report-csv");
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_EQ(linesStarting(run.out, "done ").front(), "done 2, skipped 0, kept 0, failed 3");
    auto failed = linesStarting(run.out, "failed: ");
    ASSERT_EQ(failed.size(), 3u) << run.out;
    for (const char* bad : {"broken.mp4: ", "notes.txt: ", "sub/pipe.mp4: "})
        EXPECT_EQ(std::count_if(failed.begin(), failed.end(),
                                [&](const std::string& line) {
                                    return line.starts_with("failed: " + (in / bad).string());
                                }),
                  1)
            << bad << " is not listed once with its reason:\n"
            << run.out;
    // The good files only, each with its report and table; no temporary, nothing half-written.
    const std::vector<std::string> written = {
        "face, front.mp4", "face, front.veilcut-report.csv", "face, front.veilcut-report.json",
        "sub/plain.mp4",   "sub/plain.veilcut-report.csv",   "sub/plain.veilcut-report.json"};
    ASSERT_EQ(filesUnder(out), written);

    Json report = Json::parse(fileContents(out / "face, front.veilcut-report.json"));
    EXPECT_EQ(report["source"]["sha256"], sha256sum(in / "face, front.mp4"));
    EXPECT_EQ(report["output"]["sha256"], sha256sum(out / "face, front.mp4"));
    EXPECT_EQ(report["tool"]["version"], VEILCUT_VERSION);
    // The models the scan loaded, each with the digest of the file in the model cache.
    ASSERT_FALSE(report["models"].empty());
    const char* home = std::getenv("HOME");
    fs::path models = std::getenv("VEILCUT_MODELS")
                          ? fs::path(std::getenv("VEILCUT_MODELS"))
                          : fs::path(home ? home : "/") / ".cache" / "veilcut" / "models";
    for (const Json& model : report["models"])
        EXPECT_EQ(model["sha256"], sha256sum(models / model["name"].get<std::string>())) << model;
    EXPECT_EQ(report["options"]["type"], "circle");
    EXPECT_EQ(report["framesScanned"], 30);
    // The one face on screen throughout is the first person; the scan may add others (a small
    // face it is unsure of), and the report lists every one it hides.
    const size_t persons = report["personsFound"].get<size_t>();
    ASSERT_GE(persons, 1u);
    ASSERT_EQ(report["hidden"].size(), persons);
    const Json& face = report["hidden"][0];
    EXPECT_EQ(face["kind"], "face");
    EXPECT_EQ(face["samples"].size(), 30u);
    size_t boxes = 0;
    for (const Json& hidden : report["hidden"]) boxes += hidden["samples"].size();
    // The table: a header and one row per box; the name with a comma is quoted.
    std::string table = fileContents(out / "face, front.veilcut-report.csv");
    EXPECT_EQ(size_t(std::count(table.begin(), table.end(), '\n')), boxes + 1);
    EXPECT_EQ(linesStarting(table, "\"" + (in / "face, front.mp4").string() + "\",").size(), boxes);

    auto summary = runVeilcut("report " + quoted(out / "face, front.mp4"));
    EXPECT_EQ(summary.status, 0) << summary.err;
    const std::string found = "scanned  30 frames, " + std::to_string(persons) +
                              (persons == 1 ? " person found" : " persons found");
    EXPECT_NE(summary.out.find(found), std::string::npos) << summary.out;
    EXPECT_NE(summary.out.find("hidden   face 1: 0.000 s to 1.000 s, 30 boxes"), std::string::npos)
        << summary.out;

    // Again: the complete files are skipped and left as they were.
    const std::string movie = fileContents(out / "sub" / "plain.mp4");
    fs::remove(out / "face, front.veilcut-report.csv");
    auto again = runVeilcut(batch + " --report-csv");
    EXPECT_EQ(linesStarting(again.out, "done ").front(), "done 0, skipped 2, kept 0, failed 3")
        << again.out;
    EXPECT_EQ(fileContents(out / "sub" / "plain.mp4"), movie);
    EXPECT_EQ(filesUnder(out), written) << "the table is made again from the report";

    // A source that changed: its old movie is in the way.
    makePlainClip(in / "sub" / "plain.mov", "96x64", 1);
    auto changed = runVeilcut(batch);
    EXPECT_EQ(linesStarting(changed.out, "kept: ").size(), 1u) << changed.out;
    EXPECT_EQ(fileContents(out / "sub" / "plain.mp4"), movie);

    // Other options: the outputs are in the way, kept and listed, until --overwrite.
    auto other = runVeilcut(batch + " --style pixellate");
    EXPECT_EQ(other.status, 1);
    EXPECT_EQ(linesStarting(other.out, "kept: ").size(), 2u) << other.out;
    EXPECT_EQ(linesStarting(other.out, "done ").front(), "done 0, skipped 0, kept 2, failed 3");
    EXPECT_EQ(fileContents(out / "sub" / "plain.mp4"), movie);
    auto replaced = runVeilcut(batch + " --style pixellate --overwrite");
    EXPECT_EQ(linesStarting(replaced.out, "done ").front(), "done 2, skipped 0, kept 0, failed 3")
        << replaced.out << replaced.err;
    EXPECT_EQ(
        Json::parse(fileContents(out / "sub" / "plain.veilcut-report.json"))["options"]["style"],
        "pixellate");
}

TEST_F(BatchAnonymizeTest, InputsThatWouldBecomeOneMovieOrLandOnASourceAreRefusedBeforeAnyWork) {
    fs::copy_file(in / "sub" / "plain.mov", in / "sub" / "plain.mp4");
    auto twice = runVeilcut("anonymize " + quoted(in) + " --recursive -o " + quoted(out));
    EXPECT_EQ(twice.status, 2);
    EXPECT_EQ(twice.err, "veilcut: error: " + (in / "sub" / "plain.mov").string() + " and " +
                             (in / "sub" / "plain.mp4").string() + " would both become " +
                             (out / "sub" / "plain.mp4").string() + "\n");
    EXPECT_FALSE(fs::exists(out));

    // Into the folder it reads from: the next run would take the movies for sources, and the
    // movie of plain.mp4 would be plain.mp4 itself.
    auto same = runVeilcut("anonymize " + quoted(in / "sub") + " -o " + quoted(in / "sub"));
    EXPECT_EQ(same.status, 2);
    EXPECT_NE(same.err.find("may not be a folder it reads"), std::string::npos) << same.err;
    const std::string source = fileContents(in / "sub" / "plain.mp4");
    auto onto = runVeilcut("anonymize " + quoted(in / "sub" / "plain.mp4") + " -o " +
                           quoted(in / "sub") + " --overwrite");
    EXPECT_EQ(onto.status, 2);
    EXPECT_NE(onto.err.find("is the source video"), std::string::npos) << onto.err;
    EXPECT_EQ(fileContents(in / "sub" / "plain.mp4"), source);

    // No report, or one that is damaged: one line and status 2.
    std::ofstream(in / "sub" / "plain.veilcut-report.json") << R"({"format": "veilcut-report",
                                                                  "models": 5})";
    for (const char* movie : {"missing.mp4", "plain.mp4"}) {
        auto report = runVeilcut("report " + quoted(in / "sub" / movie));
        EXPECT_EQ(report.status, 2) << movie;
        EXPECT_EQ(std::count(report.err.begin(), report.err.end(), '\n'), 1) << report.err;
    }
}

TEST_F(BatchAnonymizeTest, AStoppedBatchLeavesOnlyCompleteFilesAndTheNextRunFinishes) {
    makePlainClip(in / "long.mp4", "320x240", 6);
    const std::string batch = "anonymize " + quoted(in) + " -o " + quoted(out) + " --recursive";
    RunningVeilcut stopped(batch);
    // One file done, one under way (for seconds more), one waiting.
    ASSERT_TRUE(stopped.waitForLineStarting((in / "long.mp4").string() + " 25%")) << stopped.err();
    stopped.send(SIGTERM);
    EXPECT_EQ(stopped.finish(), 128 + SIGTERM) << stopped.err();
    EXPECT_FALSE(fs::exists(out / "long.mp4")) << "the file under way was not stopped";
    // Whatever had ended by then is whole: each movie has its report, and nothing else is there.
    for (const std::string& file : filesUnder(out)) {
        fs::path path = out / file;
        if (path.extension() == ".mp4")
            EXPECT_TRUE(
                fs::exists(path.parent_path() / (path.stem().string() + ".veilcut-report.json")))
                << file;
        else
            EXPECT_TRUE(file.ends_with(".veilcut-report.json")) << file;
    }
    auto resumed = runVeilcut(batch);
    EXPECT_EQ(resumed.status, 0) << resumed.out << resumed.err;
    EXPECT_EQ(filesUnder(out).size(), 6u) << resumed.out;
}
