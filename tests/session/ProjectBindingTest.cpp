#include "session/ProjectBinding.h"

#include <gtest/gtest.h>

#include "background/BackgroundEditor.h"
#include "platform/dispatch/MainQueue.h"
#include "project/ProjectReader.h"
#include "project/ProjectWriter.h"
#include "session/EditSession.h"
#include "shapes/ShapeEditor.h"
#include "support/ScriptedSourceProbe.h"

namespace {

struct ProjectBindingTest : ::testing::Test {
    void SetUp() override {
        MainQueue::shared().bindToCurrentThread();
        video = std::make_unique<SourceVideo>(
            "clip.mp4", std::make_unique<ScriptedSourceProbe>(steps, std::vector<SourceTrack>{{0}},
                                                              std::set<std::string>{},
                                                              MediaTime(3000, 600)));  // 5 s
        video->waitUntilLoaded();
    }
    EditSession edit;
    ProjectDocument parse(const std::string& text) {
        auto r = parseProject(text);
        EXPECT_TRUE(r.document) << r.error;
        return r.document.value_or(ProjectDocument{});
    }

    std::vector<std::string> steps;
    std::unique_ptr<SourceVideo> video;
};

}  // namespace

TEST_F(ProjectBindingTest, LoadsShapesResolvingSecondsAndDefaults) {
    auto d = parse(R"({"veilcut": 1, "source": "clip.mp4", "shapes": [
        {"type": "emoji", "rect": [0, 0, 0.5, 0.5], "trim": {"start": 1.5},
         "keyframes": [{"t": 2, "rect": [0.5, 0.5, 0.5, 0.5]}]}]})");
    ASSERT_FALSE(applyProject(d, *video, edit));
    const auto& shapes = edit.shapeEditor().shapes();
    ASSERT_EQ(shapes.size(), 1u);
    EXPECT_EQ(shapes[0].trimTime.start, MediaTime(900, 600));
    EXPECT_EQ(shapes[0].trimTime.end(), MediaTime(3000, 600));
    EXPECT_EQ(shapes[0].maxEndTime, MediaTime(3000, 600));
    EXPECT_EQ(shapes[0].emoji, "😀");  // the catalogue's first
    EXPECT_EQ(shapes[0].keyframes[0].time, MediaTime(1200, 600));
}

TEST_F(ProjectBindingTest, SavingTheLoadedEditsGivesAStableDocument) {
    auto d = parse(R"({"veilcut": 1, "source": "clip.mp4",
        "background": {"style": "crystal", "intensity": 0.8, "softness": 0.4}, "shapes": [
        {"type": "rectangle", "style": "bokeh", "intensity": 0.3, "softness": 0.7,
         "rect": [0.1, 0.1, 0.2, 0.2], "trim": {"start": 0.25, "end": 4}}]})");
    ASSERT_FALSE(applyProject(d, *video, edit));
    const BackgroundEditor& background = edit.backgroundEditor();
    EXPECT_EQ(background.style().type, StyleKind::crystal);
    EXPECT_EQ(background.style().intensity, 0.8);
    EXPECT_EQ(background.softness(), 0.4);
    std::string saved = projectText(projectFromEdits(edit, "clip.mp4"));
    ASSERT_FALSE(applyProject(parse(saved), *video, edit));
    EXPECT_EQ(projectText(projectFromEdits(edit, "clip.mp4")), saved);
    EXPECT_NE(saved.find("\"bokeh\""), std::string::npos);
    EXPECT_NE(saved.find("\"crystal\""), std::string::npos);
}

TEST_F(ProjectBindingTest, ATrimBeyondTheSourceIsRejectedAndEditsStayUntouched) {
    edit.shapeEditor().load(
        {Shape(MediaTimeRange{MediaTime(0, 1), MediaTime(1, 1)}, Rect{0, 0, 1, 1}, "😀", false)});
    auto d = parse(R"({"veilcut": 1, "source": "clip.mp4", "shapes": [
        {"rect": [0, 0, 1, 1], "trim": {"end": 9}, "maxEnd": 6}]})");
    EXPECT_EQ(applyProject(d, *video, edit), "shapes[0].trim: end must not be after maxEnd");
    EXPECT_EQ(edit.shapeEditor().shapes().size(), 1u);
}
