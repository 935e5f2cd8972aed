// The region-list editing that faces and tracked objects share, run against both editors, and
// the one rule in which they differ.

#include "regions/RegionListEditor.h"

#include <gtest/gtest.h>

#include <opencv2/core.hpp>

#include "core/Notifications.h"
#include "faces/FaceEditor.h"
#include "objects/ObjectEditor.h"
#include "platform/dispatch/MainQueue.h"
#include "support/ScriptedSourceProbe.h"
#include "support/TrackedRegions.h"

namespace {

const MediaTime VIDEO = MediaTime(24000, 600);  // 40 s

template <class Editor>
struct RegionListEditorTest : ::testing::Test {
    void SetUp() override {
        MainQueue::shared().bindToCurrentThread();
        source.set(loadedScriptedVideo(steps, VIDEO));
        tokens.push_back(NotificationCenter::defaultCenter().addObserver(
            Notifications::updateFilter, [this](auto) { ++updates; }));
        editor.load({trackedFrom(5, 35), trackedFrom(1, 2)});
    }
    bool drawnAt(double s) {
        Image frame(cv::Mat(64, 64, CV_8UC4, cv::Scalar(40, 120, 200, 255)));
        auto out = editor.render(frame, frame, {sec(s), 1.0 / 30, RenderPurpose::preview, nullptr},
                                 nullptr);
        return !out->sharesPixelsWith(frame);
    }

    std::vector<std::string> steps;
    CurrentSource source;
    Editor editor{source};
    int updates = 0;
    std::vector<std::unique_ptr<NotificationCenter::Token>> tokens;
};

using Editors = ::testing::Types<FaceEditor, ObjectEditor>;
TYPED_TEST_SUITE(RegionListEditorTest, Editors);

}  // namespace

TYPED_TEST(RegionListEditorTest, EditsReachTheRendererAndCancelPutsTheRegionBack) {
    auto& editor = this->editor;
    EXPECT_FALSE(this->drawnAt(10));
    editor.select(0);
    EXPECT_TRUE(editor.isEditing());
    editor.setCover(int(Cover::rectangle));
    editor.setStyle(StyleKind::noir);
    editor.setIntensity(1);
    editor.setScale(2);
    EXPECT_EQ(editor.selectedCover(), Cover::rectangle);
    EXPECT_EQ(this->updates, 4);
    EXPECT_TRUE(this->drawnAt(10));
    editor.cancelEdit();
    EXPECT_FALSE(editor.selectedIndex() || editor.isEditing());
    EXPECT_EQ(editor.regions()[0].cover, Cover::none);
    EXPECT_EQ(editor.regions()[0].scale, 1.0);
    EXPECT_FALSE(this->drawnAt(10));

    editor.select(1);
    editor.setCover(int(Cover::circle));
    editor.setCover(7);  // no cover: ignored
    editor.finishEdit();
    EXPECT_EQ(editor.regions()[1].cover, Cover::circle);
    EXPECT_EQ(editor.selectedCover(), Cover::none);
    editor.setStyle(StyleKind::mono);  // nothing selected: nothing changes
    EXPECT_EQ(editor.regions()[1].style.type, StyleKind::gaussian);
}

TYPED_TEST(RegionListEditorTest, TrimsStayWithinTheTrackedSpanAndOnlyAFaceTrimIsMarked) {
    auto& editor = this->editor;
    editor.select(0);
    editor.trim(0.25, 0.75);
    EXPECT_EQ(editor.regions()[0].trimTime.start, sec(10));
    EXPECT_EQ(editor.regions()[0].trimTime.end(), sec(30));
    // A face trimmed by the user keeps its trim when the scan finds more of the person; an
    // object's span never grows, so its trim needs no mark.
    const bool isFace = std::is_same_v<TypeParam, FaceEditor>;
    EXPECT_EQ(editor.regions()[0].trimmedByUser(), isFace);
    auto fractions = editor.selectedTrimFractions();
    ASSERT_TRUE(fractions);
    EXPECT_DOUBLE_EQ(fractions->start, 0.25);
    EXPECT_DOUBLE_EQ(fractions->end, 0.75);
    EXPECT_DOUBLE_EQ(fractions->minStart, 0.125);
    EXPECT_DOUBLE_EQ(fractions->maxEnd, 0.875);
    // Handles back at the ends of the span: no trim at all.
    editor.trim(0, 1);
    EXPECT_EQ(editor.regions()[0].trimTime.start, sec(5));
    EXPECT_EQ(editor.regions()[0].trimTime.end(), sec(35));
    EXPECT_FALSE(editor.regions()[0].trimmedByUser());

    // A drag shows the whole span; given up, it puts the trim back.
    editor.trim(0.25, 0.75);
    editor.beginTrim();
    EXPECT_EQ(editor.regions()[0].trimTime.start, sec(5));
    EXPECT_EQ(editor.regions()[0].trimTime.end(), sec(35));
    editor.cancelTrim();
    EXPECT_EQ(editor.regions()[0].trimTime.start, sec(10));
    EXPECT_EQ(editor.regions()[0].trimTime.end(), sec(30));
    EXPECT_EQ(editor.regions()[0].trimmedByUser(), isFace);
    editor.load({});
    EXPECT_FALSE(editor.selectedIndex() || editor.isEditing());
    EXPECT_TRUE(editor.regions().empty());
}
