#include "cli/BatchProgress.h"

#include <gtest/gtest.h>

// Captured stderr is not a terminal, so these are the log's lines.
TEST(BatchProgress, ALogGetsEveryQuarterOnceAndInOrderWhateverTheReportsSkip) {
    testing::internal::CaptureStderr();
    {
        BatchProgress progress(2);
        progress.update("a.mp4", 0);
        progress.update("a.mp4", 0.6);   // past 25 % and 50 % at once
        progress.update("a.mp4", 0.55);  // reports never make it go back
        progress.update("a.mp4", 0.7);
        progress.update("b.mp4", 0.3);  // a first report already past a quarter
        progress.update("a.mp4", 1);
    }
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "a.mp4 0%\na.mp4 25%\na.mp4 50%\n"
              "b.mp4 0%\nb.mp4 25%\n"
              "a.mp4 75%\na.mp4 100%\n");
}
