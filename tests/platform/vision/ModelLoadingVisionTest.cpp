// The model cache, its integrity check, reading the TFLite models and the pool of built networks.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/vision/Sha256.h"
#include "platform/vision/TestPictures.h"
#include "platform/vision/TfliteNetPool.h"
#include "platform/vision/TfliteReader.h"

namespace {

std::vector<std::uint8_t> bytesOf(std::string_view s) {
    return {s.begin(), s.end()};
}

TEST(Sha256, MatchesPublishedVectors) {
    EXPECT_EQ(sha256Hex({}), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(sha256Hex(bytesOf("abc")),
              "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    // 56 bytes: the padding spills into a second block.
    EXPECT_EQ(sha256Hex(bytesOf("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq")),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
}

TEST(ModelRegistry, MissingOrDamagedModelsNameTheModelAndTheFetchCommand) {
    namespace fs = std::filesystem;
    fs::path dir = fs::temp_directory_path() / ("veilcut-models-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    ModelRegistry registry(dir);

    auto missing = registry.load(VisionModel::poseLandmark);
    EXPECT_FALSE(missing);
    EXPECT_NE(missing.error.find("pose_landmark_lite.tflite"), std::string::npos) << missing.error;
    EXPECT_NE(missing.error.find("scripts/fetch-models.sh"), std::string::npos) << missing.error;

    std::ofstream(dir / "selfie_segmentation_landscape.tflite") << "TFL3 but not the model";
    auto damaged = registry.load(VisionModel::selfieSegmentation);
    EXPECT_FALSE(damaged);
    EXPECT_NE(damaged.error.find("selfie_segmentation_landscape.tflite"), std::string::npos);
    EXPECT_NE(damaged.error.find("damaged"), std::string::npos) << damaged.error;
    EXPECT_NE(damaged.error.find("scripts/fetch-models.sh"), std::string::npos);
    fs::remove_all(dir);
}

TEST(ModelRegistry, NotesEachModelFileItLoadsOnceWithItsDigestAndNoneThatFailed) {
    ModelRegistry models = testModels();
    ASSERT_TRUE(models.load(VisionModel::poseDetection));
    ASSERT_TRUE(models.load(VisionModel::poseDetection));
    ModelRegistry("/nonexistent").load(VisionModel::poseLandmark);
    const std::string path = models.pathOf(VisionModel::poseDetection).string();
    int listed = 0;
    for (const LoadedModelFile& model : ModelRegistry::loadedModels()) {
        EXPECT_NE(model.path.rfind("/nonexistent", 0), 0u) << model.path;
        if (model.path != path) continue;
        ++listed;
        EXPECT_EQ(model.fileName, "pose_detection.tflite");
        EXPECT_EQ(model.sha256, ModelRegistry::info(VisionModel::poseDetection).sha256);
    }
    EXPECT_EQ(listed, 1);
}

TEST(TfliteReader, ReadsTheModelsShapesAndOperators) {
    auto bytes = testModels().load(VisionModel::poseDetection);
    ASSERT_TRUE(bytes) << bytes.error;
    auto graph = readTfliteGraph(*bytes.value);
    ASSERT_TRUE(graph) << graph.error;
    const TfliteGraph& g = *graph.value;
    EXPECT_EQ(g.tensors[size_t(g.inputs.at(0))].shape, (std::vector<int>{1, 224, 224, 3}));
    EXPECT_EQ(g.tensors[size_t(g.outputs.at(0))].shape, (std::vector<int>{1, 2254, 12}));
    int sparse = 0;
    for (const TfliteTensor& t : g.tensors) sparse += t.sparsity.has_value();
    EXPECT_GT(sparse, 0);  // this model stores weights sparse behind DENSIFY
}

TEST(TfliteReader, DamagedBuffersGiveErrorsNotCrashes) {
    auto bytes = testModels().load(VisionModel::selfieSegmentation);
    ASSERT_TRUE(bytes) << bytes.error;
    const std::vector<std::uint8_t>& model = *bytes.value;
    EXPECT_FALSE(readTfliteGraph(bytesOf("short")));
    EXPECT_FALSE(readTfliteGraph(bytesOf("\x10\0\0\0TFL3")));
    for (size_t cut : {size_t(64), size_t(4096), model.size() / 2}) {
        std::vector<std::uint8_t> truncated(model.begin(), model.begin() + std::ptrdiff_t(cut));
        EXPECT_FALSE(readTfliteGraph(truncated)) << "cut at " << cut;
    }
    // Scrambled offsets inside the flatbuffer must be caught by the bounds checks.
    std::vector<std::uint8_t> scrambled = model;
    for (size_t i = 8; i < 2048; i += 7) scrambled[i] ^= 0xa5;
    auto graph = readTfliteGraph(scrambled);
    SUCCEED() << (graph ? "read" : graph.error);
}

TEST(TfliteNetPool, LendsANetworkToOneHolderAtATimeAndTakesItBackWhenDropped) {
    ModelRegistry models = testModels();
    auto first = borrowTfliteNet(models, VisionModel::fullRangeFaceDetection);
    auto second = borrowTfliteNet(models, VisionModel::fullRangeFaceDetection);
    ASSERT_TRUE(first && second);
    EXPECT_NE(first.value->get(), second.value->get());
    const TfliteNet* dropped = first.value->get();
    first.value.reset();
    auto again = borrowTfliteNet(models, VisionModel::fullRangeFaceDetection);
    ASSERT_TRUE(again);
    EXPECT_EQ(again.value->get(), dropped);
    // Another model, or the same model from another folder, is never what was dropped.
    auto other = borrowTfliteNet(models, VisionModel::poseLandmark);
    ASSERT_TRUE(other);
    EXPECT_NE(other.value->get(), dropped);
    auto elsewhere = borrowTfliteNet(ModelRegistry("/nonexistent"), VisionModel::poseLandmark);
    EXPECT_FALSE(elsewhere);
    EXPECT_NE(elsewhere.error.find("pose_landmark_lite.tflite"), std::string::npos);
}

}  // namespace
