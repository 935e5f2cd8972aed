#include "platform/vision/ModelRegistry.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <mutex>

#include "platform/vision/Sha256.h"

namespace {

// The same sums are pinned in scripts/fetch-models.sh, which writes these files.
constexpr VisionModelInfo MODELS[] = {
    {"face_detection_full_range.tflite",
     "99bf9494d84f50acc6617d89873f71bf6635a841ea699c17cb3377f9507cfec3"},
    {"pose_detection.tflite", "a63c614bef30d35947f13be361820b1e4e3bec9cfeebf4d11216a18373108e85"},
    {"pose_landmark_lite.tflite",
     "f17bfbecadb61c3be1baa8b8d851cc6619c870a87167b32848ad20db306b9d61"},
    {"selfie_segmentation_landscape.tflite",
     "4aafe6223bb8dac6fac8ca8ed56852870a33051ef3f6238822d282a109962894"},
    {"retinaface_mnet025.onnx", "cd1acf4887eff165497762346fcafbdec58f662a2ceb01e5edb979f54b9875b6"},
};

constexpr std::string_view FETCH_HINT = "run scripts/fetch-models.sh";

std::mutex loadedMutex;
std::vector<LoadedModelFile> loaded;  // under loadedMutex

void noteLoaded(LoadedModelFile file) {
    std::lock_guard lock(loadedMutex);
    for (const LoadedModelFile& known : loaded)
        if (known.path == file.path && known.sha256 == file.sha256) return;
    loaded.push_back(std::move(file));
}

}  // namespace

ModelRegistry::ModelRegistry(std::filesystem::path directory) : directory_(std::move(directory)) {}

ModelRegistry ModelRegistry::fromEnvironment() {
    if (const char* models = std::getenv("VEILCUT_MODELS"); models && *models)
        return ModelRegistry(models);
    std::filesystem::path cache;
    if (const char* xdg = std::getenv("XDG_CACHE_HOME"); xdg && *xdg)
        cache = xdg;
    else if (const char* home = std::getenv("HOME"); home && *home)
        cache = std::filesystem::path(home) / ".cache";
    else
        cache = std::filesystem::temp_directory_path();
    return ModelRegistry(cache / "veilcut" / "models");
}

const VisionModelInfo& ModelRegistry::info(VisionModel model) {
    return MODELS[int(model)];
}

std::filesystem::path ModelRegistry::pathOf(VisionModel model) const {
    return directory_ / info(model).fileName;
}

Loaded<std::vector<std::uint8_t>> ModelRegistry::load(VisionModel model) const {
    const VisionModelInfo& about = info(model);
    std::filesystem::path path = pathOf(model);
    std::ifstream in(path, std::ios::binary);
    std::string name(about.fileName);
    if (!in)
        return Loaded<std::vector<std::uint8_t>>::failure(
            "vision model " + name + " is missing from " + directory_.string() + " (" +
            std::string(FETCH_HINT) + ")");
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                    std::istreambuf_iterator<char>());
    std::string sha256 = sha256Hex(bytes);
    if (sha256 != about.sha256)
        return Loaded<std::vector<std::uint8_t>>::failure(
            "vision model " + name + " in " + directory_.string() +
            " is damaged: its SHA-256 does not match (" + std::string(FETCH_HINT) + ")");
    noteLoaded({name, path.string(), std::move(sha256)});
    return Loaded<std::vector<std::uint8_t>>::success(std::move(bytes));
}

std::vector<LoadedModelFile> ModelRegistry::loadedModels() {
    std::lock_guard lock(loadedMutex);
    return loaded;
}
