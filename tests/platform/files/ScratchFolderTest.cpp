#include "platform/files/ScratchFolder.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "support/TempFolder.h"

namespace fs = std::filesystem;

TEST(ScratchFolder, OnlyTheFoldersOfProcessesThatHaveEndedAreRemoved) {
    TempFolder parent("scratch");
    const std::string self = scratchFolderName(int(::getpid()));
    ASSERT_FALSE(self.empty());
    // A process that still runs (this one); the same id with another start time (the id reused
    // after the first process ended); an id no process has; and folders that are not ours.
    const std::string sameIdOtherStart = "process-" + std::to_string(::getpid()) + "-1";
    for (const std::string& name : {self, sameIdOtherStart, std::string("process-999999999-5"),
                                    std::string("process-notes"), std::string("Photos")}) {
        fs::create_directory(parent.path() / name);
        std::ofstream(parent.path() / name / "ABC.mp4") << "x";
    }
    removeScratchFoldersOfEndedProcesses(parent.path().string());
    EXPECT_TRUE(fs::exists(parent.path() / self / "ABC.mp4"));
    EXPECT_FALSE(fs::exists(parent.path() / sameIdOtherStart));
    EXPECT_FALSE(fs::exists(parent.path() / "process-999999999-5"));
    EXPECT_TRUE(fs::exists(parent.path() / "process-notes"));
    EXPECT_TRUE(fs::exists(parent.path() / "Photos"));
}

TEST(ScratchFolder, EachProcessHasItsOwn) {
    const std::string mine = processScratchFolder();
    EXPECT_TRUE(fs::is_directory(mine));
    EXPECT_EQ(fs::path(mine).filename(), scratchFolderName(int(::getpid())));
    EXPECT_EQ(fs::path(mine).parent_path().filename(), "Veilcut");
}
