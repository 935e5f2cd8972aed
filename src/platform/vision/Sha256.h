#pragma once
// SHA-256 of a byte buffer, as 64 lower-case hex digits. Any thread; no state.

#include <cstdint>
#include <span>
#include <string>

std::string sha256Hex(std::span<const std::uint8_t> bytes);
