#include "shapes/ShapeEditor.h"

#include <gtest/gtest.h>

#include "core/CurrentSource.h"
#include "core/Notifications.h"
#include "platform/dispatch/MainQueue.h"
#include "regions/RegionLimits.h"
#include "support/ScriptedSourceProbe.h"

namespace {

struct ShapeEditorTest : ::testing::Test {
    void SetUp() override {
        MainQueue::shared().bindToCurrentThread();
        auto video = std::make_shared<SourceVideo>(
            "clip.mp4", std::make_unique<ScriptedSourceProbe>(steps, std::vector<SourceTrack>{{0}},
                                                              std::set<std::string>{"isHDR"},
                                                              MediaTime(6000, 600)));  // 10 s
        video->waitUntilLoaded();
        source.set(video);
        for (auto [name, label] : std::initializer_list<std::pair<const NotificationName*, const char*>>{
                 {&Notifications::onEditShape, "onEdit"},
                 {&Notifications::offEditShape, "offEdit"},
                 {&Notifications::cancelAddShape, "cancelAdd"},
                 {&Notifications::finishAddShape, "finishAdd"},
                 {&Notifications::deleteShape, "delete"},
                 {&Notifications::addKey, "addKey"},
                 {&Notifications::deleteKey, "deleteKey"},
                 {&Notifications::changeTrimTime, "trim"},
                 {&Notifications::updateFilter, "update"}})
            tokens.push_back(NotificationCenter::defaultCenter().addObserver(
                *name, [this, label = std::string(label)](auto) { posted.push_back(label); }));
    }

    // Adds a finished shape with the given top-left rect.
    void addShape(Rect topLeft) {
        shapes.insertShape(topLeft);
        shapes.finishEditing();
    }
    std::vector<std::string> take() { return std::exchange(posted, {}); }

    CurrentSource source;
    ShapeEditor shapes{source};
    std::vector<std::string> steps;
    std::vector<std::string> posted;
    std::vector<std::unique_ptr<NotificationCenter::Token>> tokens;
};

}  // namespace

TEST_F(ShapeEditorTest, AddingThenCancellingOrFinishing) {
    shapes.insertShape({0.1, 0.2, 0.3, 0.4});
    ASSERT_EQ(shapes.shapes().size(), 1u);
    const Shape& s = shapes.shapes()[0];
    EXPECT_NEAR(s.defaultRect.y, 1 - (0.2 + 0.4), 1e-12);  // converted to lower-left
    EXPECT_EQ(s.trimTime.end(), MediaTime(6000, 600));
    EXPECT_EQ(s.emoji, "😀");
    EXPECT_TRUE(shapes.isAddingShape());
    EXPECT_EQ(take(), (std::vector<std::string>{"onEdit", "update"}));

    shapes.cancelEditing();  // while adding: the new shape goes
    EXPECT_TRUE(shapes.shapes().empty());
    EXPECT_EQ(take(), (std::vector<std::string>{"cancelAdd", "update", "offEdit"}));

    shapes.insertShape({0.1, 0.2, 0.3, 0.4});
    take();
    shapes.finishEditing();
    EXPECT_EQ(shapes.shapes().size(), 1u);
    EXPECT_FALSE(shapes.selectedShapeIndex());
    EXPECT_EQ(take(), (std::vector<std::string>{"finishAdd", "offEdit"}));
}

TEST_F(ShapeEditorTest, CancellingAnEditRestoresTheSnapshotInPlace) {
    addShape({0.1, 0.1, 0.2, 0.2});
    addShape({0.5, 0.5, 0.2, 0.2});
    Rect before = shapes.shapes()[0].defaultRect;
    auto emojiBefore = shapes.shapes()[0].emojiImage;
    shapes.selectShape(0);
    shapes.selectKeyframe(0);
    shapes.insertKeyframe(MediaTime(600, 600), {0.7, 0.7, 0.1, 0.1});
    shapes.setEmoji("🐶");
    shapes.setIntensity(0.9);
    shapes.cancelEditing();
    ASSERT_EQ(shapes.shapes().size(), 2u);
    const Shape& s = shapes.shapes()[0];
    EXPECT_EQ(s.defaultRect, before);
    EXPECT_TRUE(s.keyframes.empty());
    EXPECT_EQ(s.emoji, "😀");
    EXPECT_TRUE(s.emojiImage->sharesPixelsWith(*emojiBefore));
    EXPECT_EQ(s.style.intensity, 0.5);
    EXPECT_FALSE(shapes.selectedShapeIndex());
    EXPECT_FALSE(shapes.isEditing());
}

TEST_F(ShapeEditorTest, RemovingTheSelectedShapePostsInOrder) {
    addShape({0.1, 0.1, 0.2, 0.2});
    shapes.selectShape(0);
    take();
    shapes.removeSelectedShape();
    EXPECT_TRUE(shapes.shapes().empty());
    EXPECT_EQ(take(), (std::vector<std::string>{"delete", "offEdit", "update"}));
    shapes.removeSelectedShape();  // nothing selected: nothing happens
    EXPECT_TRUE(take().empty());
}

TEST_F(ShapeEditorTest, TrimsKeepHalfASecondWithinTheirBounds) {
    addShape({0.1, 0.1, 0.2, 0.2});
    shapes.selectShape(0);
    shapes.changeTrimEnd(0.4);  // end 4 s
    shapes.changeTrimStart(0.9);  // past the end: 0.5 s before it
    EXPECT_NEAR(shapes.shapes()[0].trimTime.start.seconds(), 3.5, 1e-9);
    shapes.changeTrimStart(-2);
    EXPECT_EQ(shapes.shapes()[0].trimTime.start.seconds(), 0.0);
    shapes.changeTrimStart(0.3);
    shapes.changeTrimEnd(0.1);  // below the start: start + 0.5 s
    EXPECT_NEAR(shapes.shapes()[0].trimTime.end().seconds(), 3.5, 1e-9);
    shapes.changeTrimEnd(5);  // capped at maxEndTime
    EXPECT_NEAR(shapes.shapes()[0].trimTime.end().seconds(), 10.0, 1e-9);
}

TEST_F(ShapeEditorTest, SettersNeedASelectionAndValidValues) {
    addShape({0.1, 0.1, 0.2, 0.2});
    shapes.setCover(2);  // no selection
    EXPECT_EQ(shapes.shapes()[0].cover, Cover::circle);
    shapes.selectShape(0);
    shapes.setCover(4);
    EXPECT_EQ(shapes.selectedCover(), Cover::circle);
    shapes.setCover(3);
    EXPECT_EQ(shapes.selectedCover(), Cover::emoji);
    shapes.setIntensity(-1);
    EXPECT_EQ(shapes.shapes()[0].style.intensity, 0.0);
    shapes.selectKeyframe(5);
    take();
    shapes.removeSelectedKeyframe();  // out of range: still announced
    EXPECT_EQ(take(), (std::vector<std::string>{"deleteKey", "update"}));
}

TEST_F(ShapeEditorTest, LaterShapesCoverEarlierOnesAndTheRendererSeesOnlyPublishedState) {
    for (int i : {0, 1}) {
        addShape({0.0, 0.0, 0.5, 0.5});
        shapes.selectShape(i);
        shapes.setCover(int(Cover::rectangle));
        shapes.setIntensity(1);
        shapes.finishEditing();
    }
    // A colourful frame: chrome keeps colour, noir turns it grey, so the layers tell apart.
    auto list = shapes.shapes();
    list[0].style.type = StyleKind::chrome;
    list[1].style.type = StyleKind::noir;
    shapes.load(list);
    Image frame(cv::Mat(100, 100, CV_8UC4, cv::Scalar(40, 120, 200, 255)));
    auto greyAt = [&](const Image& out) {
        // Top-left quarter in interface coordinates: rows 0-49, columns 0-49.
        cv::Vec4b covered = out.pixels.at<cv::Vec4b>(25, 25);
        EXPECT_EQ(out.pixels.at<cv::Vec4b>(75, 75), cv::Vec4b(40, 120, 200, 255));
        return covered[0] == covered[1] && covered[1] == covered[2];
    };
    EXPECT_TRUE(greyAt(*shapes.render(
        frame, frame, {MediaTime(300, 600), 1.0 / 30, RenderPurpose::preview, nullptr}, nullptr)));
    // A change not handed to the editor is not drawn; once loaded it is.
    std::swap(list[0], list[1]);
    EXPECT_TRUE(greyAt(*shapes.render(
        frame, frame, {MediaTime(300, 600), 1.0 / 30, RenderPurpose::preview, nullptr}, nullptr)));
    shapes.load(list);
    EXPECT_FALSE(greyAt(*shapes.render(
        frame, frame, {MediaTime(300, 600), 1.0 / 30, RenderPurpose::preview, nullptr}, nullptr)));
}

TEST_F(ShapeEditorTest, ResetEmptiesEverything) {
    addShape({0.1, 0.1, 0.2, 0.2});
    shapes.selectShape(0);
    shapes.reset();
    EXPECT_TRUE(shapes.shapes().empty());
    EXPECT_FALSE(shapes.selectedShapeIndex());
    Image frame(cv::Mat(10, 10, CV_8UC4, cv::Scalar::all(9)));
    EXPECT_TRUE(shapes
                    .render(frame, frame,
                            {MediaTime(0, 1), 1.0 / 30, RenderPurpose::preview, nullptr}, nullptr)
                    ->sharesPixelsWith(frame));
}

TEST_F(ShapeEditorTest, AFullListTakesNoMoreShapesSoThatItsProjectOpensAgain) {
    addShape({0.1, 0.2, 0.3, 0.4});
    shapes.load(ShapeEditor::ShapeList(MAX_SHAPES, shapes.shapes()[0]));
    take();
    shapes.insertShape({0.5, 0.5, 0.1, 0.1});
    EXPECT_EQ(shapes.shapes().size(), MAX_SHAPES);
    EXPECT_FALSE(shapes.isAddingShape());
    EXPECT_TRUE(take().empty());
}
