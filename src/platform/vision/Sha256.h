#pragma once
// SHA-256 digests as 64 lower-case hex digits: of a byte buffer, of data given in pieces, and of
// a file read in pieces (a video of gigabytes is never held whole). Any thread; a Sha256 object
// belongs to one thread at a time.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

class Sha256 {
public:
    void update(std::span<const std::uint8_t> bytes);
    // The digest of everything given so far; the object is spent afterwards.
    std::string hex();

private:
    std::array<std::uint32_t, 8> h_ = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                                       0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
    std::array<std::uint8_t, 64> block_{};
    size_t buffered_ = 0;
    std::uint64_t total_ = 0;
};

std::string sha256Hex(std::span<const std::uint8_t> bytes);
// The digest of the file's bytes, or nothing when it cannot be read to its end.
std::optional<std::string> sha256HexOfFile(const std::string& path);
