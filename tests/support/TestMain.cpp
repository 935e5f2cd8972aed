// The tests' entry point: GoogleTest, with the same start-up as the veilcut program.
#include <gtest/gtest.h>

#include "platform/image/ImageThreads.h"

int main(int argc, char** argv) {
    configureImageThreads();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
