#include "project/ProjectReader.h"

#include <gtest/gtest.h>

#include "project/ProjectWriter.h"

namespace {

const char* TWO_SHAPES = R"({
  "veilcut": 1,
  "source": "clip.mp4",
  "background": { "style": "motion", "intensity": 0.6, "softness": 0.2 },
  "shapes": [
    { "type": "rectangle", "style": "pixellate", "intensity": 0.75, "softness": 0.25,
      "trim": { "start": 0.5, "end": { "value": 3003, "timescale": 1000 } },
      "rect": [0.1, 0.2, 0.3, 0.4],
      "keyframes": [ { "t": 1, "rect": [0.5, 0.5, 0.2, 0.2] } ] },
    { "type": "emoji", "emoji": "🐶", "rect": [0, 0, 1, 1] }
  ]
})";

std::string errorOf(const std::string& text) {
    auto r = parseProject(text);
    EXPECT_FALSE(r.document) << text;
    return r.error;
}

}  // namespace

TEST(ProjectReader, ReadsAHandWrittenProject) {
    auto r = parseProject(TWO_SHAPES);
    ASSERT_TRUE(r.document) << r.error;
    const auto& d = *r.document;
    EXPECT_EQ(d.source, "clip.mp4");
    EXPECT_EQ(d.background.style, StyleKind::motion);
    EXPECT_EQ(d.background.intensity, 0.6);
    EXPECT_EQ(d.background.softness, 0.2);
    ASSERT_EQ(d.shapes.size(), 2u);
    EXPECT_EQ(d.shapes[0].type, Cover::rectangle);
    EXPECT_EQ(d.shapes[0].look.style, StyleKind::pixellate);
    EXPECT_EQ(resolveProjectTime(*d.shapes[0].trimStart, 600), MediaTime(300, 600));
    EXPECT_EQ(resolveProjectTime(*d.shapes[0].trimEnd, 600), MediaTime(3003, 1000));
    EXPECT_EQ(d.shapes[0].keyframes.at(0).rect, (Rect{0.5, 0.5, 0.2, 0.2}));
    EXPECT_EQ(d.shapes[1].emoji, "🐶");
    EXPECT_FALSE(d.shapes[1].trimStart);
}

TEST(ProjectReader, WritingWhatWasReadGivesTheSameBytes) {
    auto first = parseProject(TWO_SHAPES);
    ASSERT_TRUE(first.document);
    std::string once = projectText(*first.document);
    auto second = parseProject(once);
    ASSERT_TRUE(second.document) << second.error;
    EXPECT_EQ(projectText(*second.document), once);
}

TEST(ProjectReader, RejectsFaultsNamingTheirPath) {
    std::string base = R"({"veilcut": 1, "source": "a.mp4", "shapes": [)";
    auto shapeError = [&](const std::string& shape) { return errorOf(base + shape + "]}"); };
    EXPECT_EQ(shapeError(R"({"rect": [0, 0, 0.5, 0.5]}, {"rect": [0, 0, 0, 1]})"),
              "shapes[1].rect: width must be > 0");
    EXPECT_EQ(shapeError(R"({"rect": [0, 0, 1, 1], "keyframes": [{"t": 1, "rect": [0, 0, 1, -2]}]})"),
              "shapes[0].keyframes[0].rect: height must be > 0");
    EXPECT_EQ(shapeError(R"({"rect": [0, 0, 1, 1], "softness": -0.5})"),
              "shapes[0].softness: must be between 0 and 1");
    EXPECT_EQ(shapeError(R"({"rect": [0, 0, 1, 1], "intensity": "high"})"),
              "shapes[0].intensity: must be a number");
    EXPECT_EQ(shapeError(R"({"rect": [1e300, 0, 1, 1]})"),
              "shapes[0].rect[0]: must be between -1000 and 1000");
    EXPECT_EQ(shapeError(R"({"rect": [0, 0, 1, 1], "trim": {"start": -1}})"),
              "shapes[0].trim.start: must be between 0 and 1e+09");
    EXPECT_EQ(shapeError(R"({"rect": [0, 0, 1, 1], "trim": {"start": 5, "end": 4}})"),
              "shapes[0].trim: start must not be after end");
    EXPECT_EQ(shapeError(R"({"rect": [0, 0, 1, 1], "trim": {"start": {"value": 1, "timescale": 0}}})"),
              "shapes[0].trim.start.timescale: must be between 1 and 2147483647");
    EXPECT_EQ(shapeError(R"({"rect": [0, 0, 1, 1], "trim": {"end": {"value": 18446744073709551615, "timescale": 1}}})"),
              "shapes[0].trim.end.value: is too large");
    EXPECT_EQ(shapeError(R"({"rect": [0, 0, 1, 1], "style": "sepia"})"),
              "shapes[0].style: unknown style 'sepia'");
    EXPECT_EQ(shapeError(R"({"rect": [0, 0, 1, 1], "colour": 1})"),
              "shapes[0]: unknown key 'colour'");
    EXPECT_EQ(shapeError(R"({"type": "circle"})"), "shapes[0]: missing key 'rect'");
    auto backgroundError = [](const std::string& bg) {
        return errorOf(R"({"veilcut": 1, "source": "a.mp4", "background": )" + bg + "}");
    };
    EXPECT_EQ(backgroundError(R"({"style": "gaussian", "softness": 1.5})"),
              "background.softness: must be between 0 and 1");
    EXPECT_EQ(backgroundError(R"({"intensity": -0.1})"),
              "background.intensity: must be between 0 and 1");
    EXPECT_EQ(backgroundError(R"({"style": "sepia"})"), "background.style: unknown style 'sepia'");
    EXPECT_EQ(shapeError(R"({"rect": [0, 0, 1]})"), "shapes[0].rect: must be [x, y, width, height]");
    EXPECT_EQ(shapeError(R"({"rect": [0, 0, 1, 1], "emoji": ""})"),
              "shapes[0].emoji: must be 1 to 64 bytes");
}

TEST(ProjectReader, RejectsBrokenDocumentsWithoutCrashing) {
    EXPECT_EQ(errorOf(R"({"source": "a.mp4"})"), "document: missing key 'veilcut'");
    EXPECT_EQ(errorOf(R"({"veilcut": 2, "source": "a.mp4"})"),
              "veilcut: unsupported project format version (this Veilcut reads version 1)");
    EXPECT_EQ(errorOf(R"({"veilcut": 1, "source": ""})"), "source: must not be empty");
    EXPECT_EQ(errorOf(R"([1, 2])"), "document: must be an object");
    EXPECT_EQ(errorOf(R"({"veilcut": 1, "source": "a.mp4", "shapes": {}})"), "shapes: must be an array");
    EXPECT_EQ(errorOf(R"({"veilcut": 1, "source": "a.mp4", "objects": [{}, {"type": "blur"}]})"),
              "objects[1].type: unknown region type 'blur'");
    EXPECT_EQ(errorOf(std::string(TWO_SHAPES).substr(0, 120)).rfind("document: not valid JSON", 0), 0u);
    EXPECT_EQ(errorOf("{\"veilcut\": 1, \"source\": \"a\xff.mp4\"}").rfind("document: not valid JSON", 0), 0u);
    EXPECT_EQ(errorOf(R"({"veilcut": NaN})").rfind("document: not valid JSON", 0), 0u);
    EXPECT_EQ(errorOf(std::string(100000, '[') + std::string(100000, ']')), "document: nested too deeply");
    EXPECT_EQ(errorOf(""), "document: not valid JSON (at byte 1)");
    EXPECT_EQ(errorOf(std::string(PROJECT_MAX_BYTES + 1, ' ')), "document: larger than 16 MiB");
}
