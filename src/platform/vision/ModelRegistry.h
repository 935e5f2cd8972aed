#pragma once
// The vision models Veilcut runs and where they live. Models are fetched once by
// scripts/fetch-models.sh into a cache folder (VEILCUT_MODELS overrides the default
// ${XDG_CACHE_HOME:-~/.cache}/veilcut/models) and checked against pinned SHA-256 sums whenever
// they are loaded, so a damaged download never reaches the network builder.
//
// Each model file that loads is noted, with the digest of the bytes that were loaded, so a run
// can say which models it used (the audit report) without a list of its own.
//
// Threads: a ModelRegistry is an immutable value; any thread may call it, and `loadedModels`.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/vision/Loaded.h"

enum class VisionModel {
    fullRangeFaceDetection,
    poseDetection,
    poseLandmark,
    selfieSegmentation,
    retinaFace,
};

struct VisionModelInfo {
    std::string_view fileName;
    std::string_view sha256;
};

// A model file this process has loaded.
struct LoadedModelFile {
    std::string fileName;
    std::string path;
    std::string sha256;
};

class ModelRegistry {
public:
    explicit ModelRegistry(std::filesystem::path directory);
    // The cache folder named by the environment.
    static ModelRegistry fromEnvironment();

    static const VisionModelInfo& info(VisionModel model);
    const std::filesystem::path& directory() const { return directory_; }
    std::filesystem::path pathOf(VisionModel model) const;

    // The model's bytes once their SHA-256 matches; otherwise one line naming the model and the
    // command that fetches it.
    Loaded<std::vector<std::uint8_t>> load(VisionModel model) const;
    // Every model file loaded so far by this process, once each, in the order first loaded.
    static std::vector<LoadedModelFile> loadedModels();

private:
    std::filesystem::path directory_;
};
