#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include <opencv2/core.hpp>

#include "platform/image/ImageFile.h"
#include "platform/image/TestCard.h"
#include "support/TempFolder.h"

namespace {

namespace fs = std::filesystem;

void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// Premultiplied pixels with every sort of coverage, colour never above alpha.
template <typename Pixel>
cv::Mat translucentPixels(int type, int maxValue) {
    cv::Mat pixels(40, 50, type);
    cv::RNG random(7);
    random.fill(pixels, cv::RNG::UNIFORM, 0, maxValue + 1);
    const int alphas[] = {0, 1, maxValue / 7, maxValue / 2 + 1, maxValue};
    pixels.forEach<Pixel>([&](Pixel& p, const int* at) {
        if (at[1] < 5) p[3] = alphas[at[1]];  // columns 0-4: the edge cases
        // The one 8-bit pair the premultiply rounding does not bring back (127 over 254 returns
        // as 128); files written before read the same, so it stays.
        if (maxValue == 255 && p[3] == 254) p[3] = 253;
        for (int c = 0; c < 3; ++c) p[c] = p[3] ? p[c] % (p[3] + 1) : 0;
    });
    return pixels;
}

// Written by hand as other programs write them: a 4x2 2-bit palette whose entries are
// opaque red, half-transparent green, fully transparent blue and (no tRNS entry) opaque orange;
// and a 2x1 16-bit grey picture of 0x1234 and 0xfedc.
constexpr char kPalettePng[] =
    "\x89\x50\x4e\x47\x0d\x0a\x1a\x0a\x00\x00\x00\x0d\x49\x48\x44\x52\x00\x00\x00\x04\x00\x00"
    "\x00\x02\x02\x03\x00\x00\x00\x02\xc6\x95\xf0\x00\x00\x00\x0c\x50\x4c\x54\x45\xff\x00\x00"
    "\x00\xff\x00\x00\x00\xff\xc8\x64\x32\xad\x44\x7e\x3f\x00\x00\x00\x03\x74\x52\x4e\x53\xff"
    "\x80\x00\x7f\x6d\x68\x78\x00\x00\x00\x0c\x49\x44\x41\x54\x78\x9c\x63\x90\x66\x78\x02\x00"
    "\x01\x39\x01\x00\x45\x64\x91\x9b\x00\x00\x00\x00\x49\x45\x4e\x44\xae\x42\x60\x82";
constexpr char kDeepGreyPng[] =
    "\x89\x50\x4e\x47\x0d\x0a\x1a\x0a\x00\x00\x00\x0d\x49\x48\x44\x52\x00\x00\x00\x02\x00\x00"
    "\x00\x01\x10\x00\x00\x00\x00\x81\xd9\xfc\x15\x00\x00\x00\x0d\x49\x44\x41\x54\x78\x9c\x63"
    "\x10\x32\xf9\x77\x07\x00\x03\xc1\x02\x21\x0d\xe3\x47\x32\x00\x00\x00\x00\x49\x45\x4e\x44"
    "\xae\x42\x60\x82";

}  // namespace

// Files hold straight colour; premultiplied pixels must come back exactly as they went in.
TEST(ImageFile, PngRoundTripIsExactAtBothDepths) {
    TempFolder folder("image-file");
    const Image shallow(translucentPixels<cv::Vec4b>(CV_8UC4, 255));
    const Image deep(translucentPixels<cv::Vec4w>(CV_16UC4, 65535));
    for (const Image& picture : {shallow, deep}) {
        const std::string path = folder.file("picture.png");
        ASSERT_TRUE(writeImageFile(picture, path));
        const auto back = readImageFile(path);
        ASSERT_TRUE(back);
        EXPECT_EQ(back->pixels.type(), picture.pixels.type());
        EXPECT_EQ(back->extent, picture.extent);
        EXPECT_EQ(cv::norm(back->pixels, picture.pixels, cv::NORM_INF), 0);
    }
}

TEST(ImageFile, PaletteTransparencyAndDeepGreyReadAsPremultipliedRgba) {
    TempFolder folder("image-file");
    writeBytes(folder.file("palette"), std::string(kPalettePng, sizeof kPalettePng - 1));
    const auto palette = readImageFile(folder.file("palette"));  // told by content, not name
    ASSERT_TRUE(palette);
    ASSERT_EQ(palette->pixels.type(), CV_8UC4);
    ASSERT_EQ(palette->pixels.size(), cv::Size(4, 2));
    EXPECT_EQ(palette->pixels.at<cv::Vec4b>(0, 0), cv::Vec4b(255, 0, 0, 255));
    EXPECT_EQ(palette->pixels.at<cv::Vec4b>(0, 1), cv::Vec4b(0, 128, 0, 128));
    EXPECT_EQ(palette->pixels.at<cv::Vec4b>(0, 2), cv::Vec4b(0, 0, 0, 0));
    EXPECT_EQ(palette->pixels.at<cv::Vec4b>(0, 3), cv::Vec4b(200, 100, 50, 255));

    writeBytes(folder.file("grey.png"), std::string(kDeepGreyPng, sizeof kDeepGreyPng - 1));
    const auto grey = readImageFile(folder.file("grey.png"));
    ASSERT_TRUE(grey);
    ASSERT_EQ(grey->pixels.type(), CV_16UC4);
    EXPECT_EQ(grey->pixels.at<cv::Vec4w>(0, 0), cv::Vec4w(0x1234, 0x1234, 0x1234, 65535));
    EXPECT_EQ(grey->pixels.at<cv::Vec4w>(0, 1), cv::Vec4w(0xfedc, 0xfedc, 0xfedc, 65535));
}

// JPEG is lossy and 8-bit: a deep picture is scaled down, not clipped to white.
TEST(ImageFile, JpegKeepsTheColoursAtBothDepths) {
    TempFolder folder("image-file");
    const Image card = makeTestCard(160, 96);
    for (bool deep : {false, true}) {
        const std::string path = folder.file(deep ? "deep.JPG" : "card.jpeg");
        ASSERT_TRUE(writeImageFile(makeTestCard(160, 96, deep), path));
        const auto back = readImageFile(path);
        ASSERT_TRUE(back);
        EXPECT_EQ(back->pixels.type(), CV_8UC4);
        EXPECT_EQ(back->extent, card.extent);
        const double meanError = cv::norm(back->pixels, card.pixels, cv::NORM_L1) / (160 * 96 * 4);
        EXPECT_LT(meanError, 4) << path;
    }
}

TEST(ImageFile, MissingDamagedOrTruncatedFilesGiveNothing) {
    TempFolder folder("image-file");
    EXPECT_FALSE(readImageFile(folder.file("missing.png")));
    EXPECT_FALSE(readImageFile(folder.path().string()));  // a folder
    writeBytes(folder.file("empty.png"), "");
    EXPECT_FALSE(readImageFile(folder.file("empty.png")));
    writeBytes(folder.file("text.png"), "not a picture at all");
    EXPECT_FALSE(readImageFile(folder.file("text.png")));

    const Image card = makeTestCard(64, 48);
    for (const std::string name : {"card.png", "card.jpg"}) {
        ASSERT_TRUE(writeImageFile(card, folder.file(name)));
        const std::string bytes = readBytes(folder.file(name));
        writeBytes(folder.file("cut-" + name), bytes.substr(0, bytes.size() * 2 / 3));
        EXPECT_FALSE(readImageFile(folder.file("cut-" + name))) << name;
        std::string damaged = bytes;
        for (std::size_t i = damaged.size() / 3; i < damaged.size() / 2; ++i) damaged[i] = '\xff';
        writeBytes(folder.file("damaged-" + name), damaged);
        EXPECT_FALSE(readImageFile(folder.file("damaged-" + name))) << name;
    }
}

TEST(ImageFile, UnwritableGivesFalse) {
    TempFolder folder("image-file");
    const Image card = makeTestCard(16, 16);
    EXPECT_FALSE(writeImageFile(card, folder.file("card.bmp")));
    EXPECT_FALSE(fs::exists(folder.file("card.bmp")));
    EXPECT_FALSE(writeImageFile(card, folder.file("no-such-folder/card.png")));
    EXPECT_FALSE(writeImageFile(Image(), folder.file("empty.png")));
    EXPECT_FALSE(writeImageFile(Image(cv::Mat(4, 4, CV_8UC3)), folder.file("bgr.png")));
    // A full disk shows up only when the buffered bytes are flushed on closing.
    if (fs::exists("/dev/full")) {
        fs::create_symlink("/dev/full", folder.file("full.png"));
        EXPECT_FALSE(writeImageFile(card, folder.file("full.png")));
    }
}
