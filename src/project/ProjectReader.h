#pragma once
// Reads a project file (JSON, ".veilcut.json"). Everything is validated: a bad document is
// rejected with one message naming the JSON path of the first fault, for example
// "shapes[2].keyframes[0].rect: width must be > 0". Never throws; bounded in size and depth.
// Pure; any thread.

#include <optional>
#include <string>
#include <string_view>

#include "project/ProjectDocument.h"

inline constexpr size_t PROJECT_MAX_BYTES = 16 * 1024 * 1024;
inline constexpr int PROJECT_MAX_DEPTH = 16;  // nested arrays and objects
// Far more than anyone places or tracks by hand, few enough that loading and drawing them all
// stays within memory and seconds a frame.
inline constexpr size_t PROJECT_MAX_SHAPES = 10'000;
inline constexpr size_t PROJECT_MAX_REGIONS = 100'000;  // in `faces`, and again in `objects`

struct ProjectReadResult {
    std::optional<ProjectDocument> document;
    std::string error;  // set when `document` is empty
};

ProjectReadResult parseProject(std::string_view text);
// Reads and parses a file; the error names the file when it cannot be read.
ProjectReadResult readProjectFile(const std::string& path);
