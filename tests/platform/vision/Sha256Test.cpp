// The digest given in pieces, and of a file read in pieces, is the digest of the whole.
#include <gtest/gtest.h>

#include <fstream>
#include <numeric>

#include "platform/vision/Sha256.h"
#include "support/TempFolder.h"

TEST(Sha256, PiecesOfAnySizeGiveTheDigestOfTheWhole) {
    std::vector<std::uint8_t> bytes(200);
    std::iota(bytes.begin(), bytes.end(), 0);
    const std::span<const std::uint8_t> all(bytes);
    // Pieces that end before, on and after the 64-byte block edges, and an empty one.
    for (size_t cut : {0, 1, 55, 63, 64, 65, 127, 128, 199}) {
        for (size_t size : {size_t(0), size_t(56), size_t(64), size_t(130), bytes.size()}) {
            if (cut > size) continue;
            Sha256 digest;
            digest.update(all.first(cut));
            digest.update(all.subspan(cut, size - cut));
            EXPECT_EQ(digest.hex(), sha256Hex(all.first(size))) << cut << " of " << size;
        }
    }
}

TEST(Sha256, AFileIsReadInPiecesToTheSameDigest) {
    TempFolder folder("sha256");
    // Larger than the reading buffer, and not a whole number of blocks.
    std::vector<std::uint8_t> bytes(3 * 1024 * 1024 + 17);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = std::uint8_t(i * 7 + i / 4096);
    std::ofstream(folder.file("data"), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    EXPECT_EQ(sha256HexOfFile(folder.file("data")), sha256Hex(bytes));
    EXPECT_EQ(sha256HexOfFile(folder.file("missing")), std::nullopt);
}
