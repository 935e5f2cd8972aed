#include <gtest/gtest.h>

#include <filesystem>

#include <opencv2/core.hpp>

#include "platform/image/ImageFile.h"
#include "platform/image/TestCard.h"

namespace {

std::string scratchPath(const std::string& name) {
    return (std::filesystem::temp_directory_path() / ("veilcut-image-file-" + name)).string();
}

}  // namespace

// Files hold straight colour; a half-transparent premultiplied pixel must come back as it was.
TEST(ImageFile, PremultipliedPicturesSurviveAFileAtBothDepths) {
    for (bool deep : {false, true}) {
        Image card = makeTestCard(64, 48, deep);
        if (deep)
            card.pixels.at<cv::Vec4w>(5, 5) = {20000, 10000, 0, 32768};
        else
            card.pixels.at<cv::Vec4b>(5, 5) = {80, 40, 0, 128};
        const std::string path = scratchPath(deep ? "deep.png" : "shallow.png");
        ASSERT_TRUE(writeImageFile(card, path));
        const auto back = readImageFile(path);
        std::filesystem::remove(path);
        ASSERT_TRUE(back);
        EXPECT_EQ(back->pixels.type(), card.pixels.type());
        EXPECT_EQ(back->extent, card.extent);
        EXPECT_LE(cv::norm(back->pixels, card.pixels, cv::NORM_INF), deep ? 2 : 1);
    }
}

TEST(ImageFile, UnreadableOrUnwritableGivesNothing) {
    EXPECT_FALSE(readImageFile(scratchPath("missing.png")));
    EXPECT_FALSE(writeImageFile(makeTestCard(16, 16), "/nonexistent-dir/x.png"));
    EXPECT_FALSE(writeImageFile(Image(), scratchPath("empty.png")));
}
