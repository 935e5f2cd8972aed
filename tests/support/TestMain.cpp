// The tests' entry point: GoogleTest, with the same start-up as the veilcut program.
#include <gtest/gtest.h>

#include "platform/dispatch/BackgroundQueue.h"
#include "platform/image/ImageThreads.h"

int main(int argc, char** argv) {
    configureImageThreads();
    ::testing::InitGoogleTest(&argc, argv);
    int status = RUN_ALL_TESTS();
    BackgroundQueue::waitUntilIdle();
    return status;
}
