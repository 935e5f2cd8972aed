#include "platform/vision/Sha256.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <fstream>
#include <vector>

namespace {

constexpr std::array<std::uint32_t, 64> K = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

void compressBlock(std::array<std::uint32_t, 8>& h, const std::uint8_t* block) {
    std::uint32_t w[64];
    for (int i = 0; i < 16; ++i)
        w[i] = std::uint32_t(block[4 * i]) << 24 | std::uint32_t(block[4 * i + 1]) << 16 |
               std::uint32_t(block[4 * i + 2]) << 8 | std::uint32_t(block[4 * i + 3]);
    for (int i = 16; i < 64; ++i) {
        std::uint32_t s0 = std::rotr(w[i - 15], 7) ^ std::rotr(w[i - 15], 18) ^ (w[i - 15] >> 3);
        std::uint32_t s1 = std::rotr(w[i - 2], 17) ^ std::rotr(w[i - 2], 19) ^ (w[i - 2] >> 10);
        w[i] = w[i - 16] + s0 + w[i - 7] + s1;
    }
    std::uint32_t a = h[0], b = h[1], c = h[2], d = h[3], e = h[4], f = h[5], g = h[6], k = h[7];
    for (int i = 0; i < 64; ++i) {
        std::uint32_t t1 = k + (std::rotr(e, 6) ^ std::rotr(e, 11) ^ std::rotr(e, 25)) +
                           ((e & f) ^ (~e & g)) + K[i] + w[i];
        std::uint32_t t2 =
            (std::rotr(a, 2) ^ std::rotr(a, 13) ^ std::rotr(a, 22)) + ((a & b) ^ (a & c) ^ (b & c));
        k = g;
        g = f;
        f = e;
        e = d + t1;
        d = c;
        c = b;
        b = a;
        a = t1 + t2;
    }
    h[0] += a, h[1] += b, h[2] += c, h[3] += d, h[4] += e, h[5] += f, h[6] += g, h[7] += k;
}

}  // namespace

void Sha256::update(std::span<const std::uint8_t> bytes) {
    total_ += bytes.size();
    size_t used = 0;
    if (buffered_ > 0) {
        used = std::min(bytes.size(), block_.size() - buffered_);
        std::copy_n(bytes.data(), used, block_.data() + buffered_);
        buffered_ += used;
        if (buffered_ < block_.size()) return;
        compressBlock(h_, block_.data());
        buffered_ = 0;
    }
    for (; used + 64 <= bytes.size(); used += 64) compressBlock(h_, bytes.data() + used);
    buffered_ = bytes.size() - used;
    std::copy_n(bytes.data() + used, buffered_, block_.data());
}

std::string Sha256::hex() {
    // Padding: a one bit, zeros, then the length in bits as a big-endian 64-bit number.
    std::uint8_t tail[128] = {};
    std::copy_n(block_.data(), buffered_, tail);
    tail[buffered_] = 0x80;
    size_t tailSize = buffered_ + 9 <= 64 ? 64 : 128;
    std::uint64_t bits = total_ * 8;
    for (int i = 0; i < 8; ++i) tail[tailSize - 1 - i] = std::uint8_t(bits >> (8 * i));
    for (size_t i = 0; i < tailSize; i += 64) compressBlock(h_, tail + i);

    std::string hex(64, '0');
    for (int i = 0; i < 8; ++i) std::snprintf(&hex[8 * i], 9, "%08x", h_[i]);
    hex.resize(64);
    return hex;
}

std::string sha256Hex(std::span<const std::uint8_t> bytes) {
    Sha256 digest;
    digest.update(bytes);
    return digest.hex();
}

std::optional<std::string> sha256HexOfFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    Sha256 digest;
    std::vector<std::uint8_t> chunk(1 << 20);
    while (in) {
        in.read(reinterpret_cast<char*>(chunk.data()), std::streamsize(chunk.size()));
        digest.update({chunk.data(), size_t(in.gcount())});
    }
    if (in.bad()) return std::nullopt;
    return digest.hex();
}
