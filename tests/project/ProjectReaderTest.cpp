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

namespace {

// `document` with its one "@" replaced by `value`.
std::string with(const std::string& document, const std::string& value) {
    std::string text = document;
    return text.replace(text.find('@'), 1, value);
}

}  // namespace

TEST(ProjectReader, EveryNumericRuleTakesItsLimitsAndRejectsJustBeyond) {
    const std::string head = R"({"veilcut": 1, "source": "a.mp4", )";
    const std::string shape =
        head + R"("shapes": [{"rect": [0, 0, 1, 1], "trim": {"start": 0}, @}]})";
    const std::string region = head + R"("faces": [{"samples": [], @}]})";
    const std::string background = head + R"("background": {@}})";
    const std::string rect = head + R"("shapes": [{"rect": @}]})";
    const std::string keyframe =
        head + R"("shapes": [{"rect": [0, 0, 1, 1], "keyframes": [{"t": 1, "rect": @}]}]})";
    const std::string sample = head + R"("objects": [{"samples": [{"t": 1, "rect": @}]}]})";
    const std::string seconds = head + R"("shapes": [{"rect": [0, 0, 1, 1], "maxEnd": @}]})";
    const std::string exact = head + R"("faces": [{"trim": {"end": @}}]})";
    struct Rule {
        std::string document;
        std::vector<std::string> inside, outside;
        std::string error;  // for every value outside
    };
    const std::vector<Rule> rules{
        {R"({"veilcut": @, "source": "a.mp4"})",
         {"1"},
         {"-1", "2147483648"},
         "veilcut: must be between 0 and 2147483647"},
        {R"({"veilcut": @, "source": "a.mp4"})",
         {},
         {"0", "2"},
         "veilcut: unsupported project format version (this Veilcut reads version 1)"},
        {R"({"veilcut": @, "source": "a.mp4"})", {}, {"1.0"}, "veilcut: must be an integer"},
        {shape,
         {R"("intensity": 0)", R"("intensity": 1)"},
         {R"("intensity": -1e-9)", R"("intensity": 1.000001)"},
         "shapes[0].intensity: must be between 0 and 1"},
        {shape,
         {R"("softness": 0)", R"("softness": 1)"},
         {R"("softness": -1e-9)", R"("softness": 1.000001)"},
         "shapes[0].softness: must be between 0 and 1"},
        {region,
         {R"("intensity": 0)", R"("intensity": 1)"},
         {R"("intensity": 1.000001)"},
         "faces[0].intensity: must be between 0 and 1"},
        {region,
         {R"("softness": 0)", R"("softness": 1)"},
         {R"("softness": -1e-9)"},
         "faces[0].softness: must be between 0 and 1"},
        {region,
         {R"("scale": 0.01)", R"("scale": 100)"},
         {R"("scale": 0.0099999)", R"("scale": 100.00001)"},
         "faces[0].scale: must be between 0.01 and 100"},
        {background,
         {R"("intensity": 0)", R"("softness": 1)"},
         {R"("softness": 1.000001)"},
         "background.softness: must be between 0 and 1"},
        {rect,
         {"[-1000, -1000, 1000, 1000]", "[1000, 1000, 5e-324, 5e-324]"},
         {"[-1000.001, 0, 1, 1]", "[1000.001, 0, 1, 1]"},
         "shapes[0].rect[0]: must be between -1000 and 1000"},
        {rect,
         {},
         {"[0, -1000.001, 1, 1]", "[0, 1000.001, 1, 1]"},
         "shapes[0].rect[1]: must be between -1000 and 1000"},
        {rect, {}, {"[0, 0, 1000.001, 1]"}, "shapes[0].rect[2]: must be between -1000 and 1000"},
        {rect, {}, {"[0, 0, 1, 1000.001]"}, "shapes[0].rect[3]: must be between -1000 and 1000"},
        {rect,
         {},
         {"[0, 0, 0, 1]", "[0, 0, -0.0, 1]", "[0, 0, -1, 1]"},
         "shapes[0].rect: width must be > 0"},
        {rect, {}, {"[0, 0, 1, 0]", "[0, 0, 1, -5e-324]"}, "shapes[0].rect: height must be > 0"},
        {rect,
         {},
         {"[0, 0, 1]", "[0, 0, 1, 1, 1]", "[]"},
         "shapes[0].rect: must be [x, y, width, height]"},
        {keyframe,
         {"[0, 0, 1, 1]"},
         {"[0, 0, 1]", "[0, 0, 1, 1, 0]"},
         "shapes[0].keyframes[0].rect: must be [x, y, width, height]"},
        {sample,
         {"[0, 0, 1, 1]"},
         {"[0, 0, 1]", "[0, 0, 1, 1, 0]"},
         "objects[0].samples[0].rect: must be [x, y, width, height]"},
        {seconds,
         {"0", "1e9"},
         {"-0.001", "1000000001"},
         "shapes[0].maxEnd: must be between 0 and 1e+09"},
        {exact,
         {R"({"value": 0, "timescale": 1})", R"({"value": 1000000000, "timescale": 1})"},
         {R"({"value": -1, "timescale": 1})", R"({"value": 1000000001, "timescale": 1})"},
         "faces[0].trim.end.value: must be between 0 and 1000000000"},
        {exact,
         {R"({"value": 2147483647000000000, "timescale": 2147483647})"},
         {R"({"value": 2147483647000000001, "timescale": 2147483647})"},
         "faces[0].trim.end.value: must be between 0 and 2147483647000000000"},
        {exact,
         {R"({"value": 0, "timescale": 1})"},
         {R"({"value": 0, "timescale": 0})", R"({"value": 0, "timescale": 2147483648})"},
         "faces[0].trim.end.timescale: must be between 1 and 2147483647"},
        {shape,
         {R"("emoji": ")" + std::string(64, 'a') + "\""},
         {R"("emoji": ")" + std::string(65, 'a') + "\"", R"("emoji": "")"},
         "shapes[0].emoji: must be 1 to 64 bytes"},
    };
    for (const Rule& rule : rules) {
        for (const std::string& value : rule.inside) {
            auto r = parseProject(with(rule.document, value));
            EXPECT_TRUE(r.document) << value << ": " << r.error;
        }
        for (const std::string& value : rule.outside)
            EXPECT_EQ(errorOf(with(rule.document, value)), rule.error) << value;
    }
}

TEST(ProjectReader, SizeDepthAndCountLimitsTakeTheirLimitAndRejectOneMore) {
    const std::string small = R"({"veilcut": 1, "source": "a.mp4"})";
    EXPECT_TRUE(parseProject(small + std::string(PROJECT_MAX_BYTES - small.size(), ' ')).document);
    EXPECT_EQ(errorOf(small + std::string(PROJECT_MAX_BYTES - small.size() + 1, ' ')),
              "document: larger than 16 MiB");

    // 16 levels, the document's own included; an unknown key is reported once the nesting is
    // allowed. The documented limits are spelled out: a change to them must change the docs.
    auto nested = [](int levels) {
        return R"({"x": )" + std::string(size_t(levels - 1), '[') +
               std::string(size_t(levels - 1), ']') + "}";
    };
    EXPECT_EQ(errorOf(nested(16)), "document: unknown key 'x'");
    EXPECT_EQ(errorOf(nested(17)), "document: nested too deeply");

    auto list = [](const std::string& key, const std::string& item, size_t count) {
        std::string text = R"({"veilcut": 1, "source": "a.mp4", ")" + key + R"(": [)";
        for (size_t i = 0; i < count; ++i) text += (i ? "," : "") + item;
        return text + "]}";
    };
    const std::string shape = R"({"rect": [0, 0, 1, 1]})";
    auto shapes = parseProject(list("shapes", shape, 10000));
    ASSERT_TRUE(shapes.document) << shapes.error;
    EXPECT_EQ(shapes.document->shapes.size(), 10000u);
    EXPECT_EQ(errorOf(list("shapes", shape, 10001)), "shapes: more than 10000 shapes");
    for (const std::string key : {"faces", "objects"}) {
        EXPECT_TRUE(parseProject(list(key, "{}", 100000)).document) << key;
        EXPECT_EQ(errorOf(list(key, "{}", 100001)), key + ": more than 100000 regions");
    }
}

TEST(ProjectReader, MessagesNameThePathAndRuleNeverALongValue) {
    const std::string head = R"({"veilcut": 1, "source": "a.mp4", )";
    const std::string longName(100000, 'x');
    const std::string digits = "1" + std::string(100000, '0');
    EXPECT_EQ(errorOf(head + R"("shapes": [{"rect": [0, 0, 1, 1], ")" + longName + R"(": 1}]})"),
              "shapes[0]: unknown key");
    EXPECT_EQ(
        errorOf(head + R"("shapes": [{"rect": [0, 0, 1, 1], "style": ")" + longName + R"("}]})"),
        "shapes[0].style: unknown style");
    EXPECT_EQ(errorOf(head + R"("objects": [{"type": ")" + longName + R"("}]})"),
              "objects[0].type: unknown region type");
    // Names with control characters would break the line even when short.
    EXPECT_EQ(errorOf(head + R"("background": {"style": "no\nir"}})"),
              "background.style: unknown style");
    // Too large for a double: the parser stops there, at a byte it names.
    for (const std::string& number : {digits, "-" + digits, std::string("1e400")}) {
        const std::string text = head + R"("shapes": [{"rect": [)" + number + R"(, 0, 1, 1]}]})";
        const std::string error = errorOf(text);
        EXPECT_EQ(error.rfind("document: a number is out of range (at byte ", 0), 0u)
            << error.substr(0, 80);
        EXPECT_LT(error.size(), 60u);
    }
    // A long number that fits a double is checked like any other.
    EXPECT_EQ(errorOf(head + R"("shapes": [{"rect": [1001.)" + digits + R"(, 0, 1, 1]}]})"),
              "shapes[0].rect[0]: must be between -1000 and 1000");
}

TEST(ProjectReader, ASourceWithANulCharacterIsRejected) {
    // Opening the file would silently read the name only up to the NUL.
    EXPECT_EQ(errorOf(R"({"veilcut": 1, "source": "clip.mp4\u0000.txt"})"),
              "source: must not contain a NUL character");
    EXPECT_EQ(errorOf(R"({"veilcut": 1, "source": "\u0000"})"),
              "source: must not contain a NUL character");
}
