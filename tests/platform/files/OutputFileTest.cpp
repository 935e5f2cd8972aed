#include "platform/files/OutputFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "support/FileContents.h"
#include "support/TempFolder.h"

namespace {

namespace fs = std::filesystem;

void writeText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

size_t entriesIn(const fs::path& folder) {
    return size_t(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

}  // namespace

TEST(OutputFile, RefusesFilesInUseUnderAnyNameAndWhatIsNotARegularFile) {
    TempFolder folder("output-rules");
    const std::string source = folder.file("clip.mp4");
    writeText(source, "video");
    fs::create_hard_link(source, folder.file("hard-link.mp4"));
    fs::create_symlink(source, folder.file("soft-link.mp4"));
    ::mkfifo(folder.file("fifo").c_str(), 0600);
    fs::create_symlink(folder.file("fifo"), folder.file("link-to-fifo"));
    const std::vector<FileInUse> inUse{{source, "the source video"}};

    for (const char* name : {"clip.mp4", "hard-link.mp4", "soft-link.mp4"})
        EXPECT_EQ(outputFileProblem(folder.file(name), inUse, true),
                  folder.file(name) + ": is the source video");
    // Another spelling of the path of a file that does not exist yet is still that file.
    EXPECT_NE(
        outputFileProblem(folder.file("sub/../new.json"), {{folder.file("new.json"), "x"}}, true),
        "");
    EXPECT_EQ(outputFileProblem(folder.file("fifo"), inUse, true),
              folder.file("fifo") + ": is not a regular file");
    EXPECT_EQ(outputFileProblem(folder.file("link-to-fifo"), inUse, true),
              folder.file("link-to-fifo") + ": is not a regular file");
    EXPECT_EQ(outputFileProblem(folder.path().string(), inUse, true),
              folder.path().string() + ": is a folder");
    EXPECT_EQ(outputFileProblem("/dev/null", inUse, true), "/dev/null: is not a regular file");

    writeText(folder.file("old.mp4"), "old");
    EXPECT_NE(outputFileProblem(folder.file("old.mp4"), inUse, false).find("use --overwrite"),
              std::string::npos);
    EXPECT_EQ(outputFileProblem(folder.file("old.mp4"), inUse, true), "");
    EXPECT_EQ(outputFileProblem(folder.file("new.mp4"), inUse, false), "");
    EXPECT_NE(
        outputFileProblem(folder.file("no/such/new.mp4"), inUse, false).find("no such folder"),
        std::string::npos);
}

TEST(OutputFile, TheDestinationHoldsTheOldFileOrTheWholeNewOneAndNoTemporaryIsLeft) {
    TempFolder folder("output-move");
    const std::string target = folder.file("out.json");

    // A failed write leaves nothing; a good one lands whole.
    EXPECT_NE(writeThroughTemporary(target, false,
                                    [](const std::string& temporary) {
                                        writeText(temporary, "half");
                                        return false;
                                    }),
              "");
    EXPECT_EQ(entriesIn(folder.path()), 0u);
    EXPECT_EQ(writeThroughTemporary(target, false,
                                    [](const std::string& temporary) {
                                        writeText(temporary, "first");
                                        return true;
                                    }),
              "");
    EXPECT_EQ(fileContents(target), "first");

    // A file that appeared while the work ran is not replaced without being told to.
    std::string temporary = temporaryPathBeside(target);
    EXPECT_EQ(fs::path(temporary).extension(), ".json");
    writeText(temporary, "second");
    EXPECT_EQ(moveIntoPlace(temporary, target, false),
              target + ": exists (use --overwrite to replace it)");
    EXPECT_EQ(fileContents(target), "first");
    EXPECT_FALSE(fs::exists(temporary));

    writeText(temporary, "second");
    EXPECT_EQ(moveIntoPlace(temporary, target, true), "");
    EXPECT_EQ(fileContents(target), "second");
    EXPECT_EQ(entriesIn(folder.path()), 1u);

    // Nor is a pipe that took the destination's name, even when told to overwrite.
    fs::remove(target);
    ::mkfifo(target.c_str(), 0600);
    writeText(temporary, "third");
    EXPECT_EQ(moveIntoPlace(temporary, target, true), target + ": is not a regular file");
    EXPECT_TRUE(fs::is_fifo(target));
    EXPECT_FALSE(fs::exists(temporary));
}
