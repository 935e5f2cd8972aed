#pragma once
// The bytes of a file, for tests that check a file was or was not changed.

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

inline std::string fileContents(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}
