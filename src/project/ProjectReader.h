#pragma once
// Reads a project file (JSON, ".veilcut.json"). Everything is validated: a bad document is
// rejected with one message naming the JSON path of the first fault, for example
// "shapes[2].keyframes[0].rect: width must be > 0". Never throws; bounded in size and depth.
// Pure; any thread.

#include <optional>
#include <string>
#include <string_view>

#include "project/ProjectDocument.h"
#include "regions/RegionLimits.h"

inline constexpr size_t PROJECT_MAX_BYTES = 16 * 1024 * 1024;
inline constexpr int PROJECT_MAX_DEPTH = 16;  // nested arrays and objects
inline constexpr size_t PROJECT_MAX_SHAPES = MAX_SHAPES;
inline constexpr size_t PROJECT_MAX_REGIONS = MAX_TRACKED_REGIONS;  // `faces`, and `objects`

struct ProjectReadResult {
    std::optional<ProjectDocument> document;
    std::string error;  // set when `document` is empty
};

ProjectReadResult parseProject(std::string_view text);
// Reads and parses a file; the error names the file when it cannot be read.
ProjectReadResult readProjectFile(const std::string& path);
