#include "session/EditSession.h"

#include <gtest/gtest.h>

#include <cmath>
#include <opencv2/imgproc.hpp>

#include "background/BackgroundEditor.h"
#include "core/CurrentSource.h"
#include "core/Notifications.h"
#include "faces/FaceEditor.h"
#include "platform/dispatch/MainQueue.h"
#include "platform/image/PixelGrid.h"
#include "shapes/ShapeEditor.h"
#include "support/ScriptedSourceProbe.h"

namespace {

struct EditSessionTest : ::testing::Test {
    void SetUp() override { MainQueue::shared().bindToCurrentThread(); }

    // Observes the given events and records their order.
    void record(std::initializer_list<std::pair<const NotificationName*, const char*>> events) {
        for (auto [name, label] : events)
            tokens.push_back(NotificationCenter::defaultCenter().addObserver(
                *name, [this, label = std::string(label)](auto) { posted.push_back(label); }));
    }
    void loadAsset() {
        auto video = std::make_shared<SourceVideo>(
            "clip.mp4",
            std::make_unique<ScriptedSourceProbe>(stepLog, std::vector<SourceTrack>{{0}}));
        video->waitUntilLoaded();
        edit.setSource(video);
    }

    EditSession edit;
    std::vector<std::string> stepLog;
    std::vector<std::string> posted;
    std::vector<std::unique_ptr<NotificationCenter::Token>> tokens;
};

}  // namespace

TEST_F(EditSessionTest, SeekMapsFractionsOntoTheDurationsOwnTimescale) {
    loadAsset();  // duration 600/600
    record({{&Notifications::timeChange, "time"}});
    edit.seek(0);
    EXPECT_EQ(edit.playhead.value, 0);
    EXPECT_EQ(edit.playhead.timescale, 600);
    edit.seek(1);
    EXPECT_EQ(edit.playhead.value, 600);
    edit.seek(0.5);
    EXPECT_EQ(edit.playhead.value, 300);
    // Out-of-range fractions are clamped, never converted as they are.
    edit.seek(7.5);
    EXPECT_EQ(edit.playhead.value, 600);
    edit.seek(-1);
    EXPECT_EQ(edit.playhead.value, 0);
    EXPECT_EQ(posted.size(), 5u);
    edit.seek(std::nan(""));
    EXPECT_EQ(posted.size(), 5u);
}

TEST_F(EditSessionTest, SeekBeforeTheDurationIsKnownChangesNothing) {
    record({{&Notifications::timeChange, "time"}});
    edit.playhead = MediaTime(5, 10);
    edit.seek(0.5);
    EXPECT_EQ(edit.playhead, MediaTime(5, 10));
    EXPECT_TRUE(posted.empty());
}

TEST_F(EditSessionTest, SelectToolStopsPlaybackAndPostsBothEventsEvenForTheSameTool) {
    record({{&Notifications::playStatusChange, "play"}, {&Notifications::toolChange, "tool"}});
    edit.isPlay = true;
    edit.selectTool(2);
    EXPECT_EQ(edit.tool, EditTool::object);
    EXPECT_FALSE(edit.isPlay);
    edit.isPlay = true;
    edit.selectTool(2);
    EXPECT_FALSE(edit.isPlay);
    EXPECT_EQ(posted, (std::vector<std::string>{"play", "tool", "play", "tool"}));
    edit.selectTool(5);
    edit.selectTool(-1);
    EXPECT_EQ(edit.tool, EditTool::object);
    EXPECT_EQ(posted.size(), 4u);
}

TEST_F(EditSessionTest, ResetRestoresTheInitialStateButKeepsTheExportCancelFlag) {
    edit.tool = EditTool::shape;
    edit.playhead = MediaTime(3, 1);
    edit.isPlay = true;
    edit.zoomScale = 2.5;
    edit.contentOffset = {10, 20};
    edit.cancelExport = true;
    edit.faceEditor().progressMerge({}, 0.7, MediaTime(1, 1), 1.0 / 30);
    edit.faceEditor().completionMerge({}, MediaTime(1, 1), 1.0 / 30);
    edit.backgroundEditor().setIntensity(0.9);
    edit.shapeEditor().load(
        {Shape({MediaTime::zero(), MediaTime(1, 1)}, Rect{0.1, 0.1, 0.2, 0.2}, "😀", false)});
    edit.shapeEditor().selectShape(0);
    record({{&Notifications::toolChange, "tool"}, {&Notifications::timeChange, "time"}});

    edit.reset();

    EXPECT_EQ(edit.tool, EditTool::preview);
    EXPECT_EQ(edit.playhead, MediaTime::zero());
    EXPECT_FALSE(edit.isPlay);
    EXPECT_EQ(edit.zoomScale, 1.0);
    EXPECT_EQ(edit.contentOffset, Point{});
    EXPECT_TRUE(edit.cancelExport);
    EXPECT_EQ(edit.faceEditor().scanState(), FaceScanState::start);
    EXPECT_EQ(edit.faceEditor().scanProgress(), 0.0);
    EXPECT_EQ(edit.backgroundEditor().style().intensity, 0.5);
    EXPECT_FALSE(edit.shapeEditor().selectedShapeIndex());
    EXPECT_TRUE(posted.empty());
    edit.cancelExport = false;
}

TEST_F(EditSessionTest, WithoutRegionsTheChainReturnsTheSourceItself) {
    Image frame(cv::Mat(36, 64, CV_8UC4, cv::Scalar(10, 20, 30, 255)));
    std::vector<Rect> drawn{{1, 2, 3, 4}};
    Image out = edit.renderFrame(frame, MediaTime(1, 30), RenderPurpose::preview, &drawn);
    EXPECT_TRUE(out.sharesPixelsWith(frame));
    EXPECT_TRUE(drawn.empty());
}

TEST_F(EditSessionTest, TheChainChangesNothingOutsideTheAreasItSaysItDrew) {
    cv::Mat pixels(180, 320, CV_8UC4);
    cv::randu(pixels, 0, 256);
    pixels.reshape(1, 180 * 320).col(3).setTo(255);
    const Image frame(pixels);
    ShapeEditor& shapes = edit.shapeEditor();
    const MediaTimeRange span{MediaTime::zero(), MediaTime(10, 1)};
    std::vector<Shape> list;
    list.emplace_back(span, Rect{0.1, 0.2, 0.3, 0.3}, "😀", false);
    list.back().style.type = StyleKind::gaussian;
    list.back().style.intensity = 0.5;
    list.emplace_back(span, Rect{0.6, 0.5, 0.2, 0.4}, "😀", false);
    list.back().cover = Cover::emoji;
    shapes.load(list);

    std::vector<Rect> drawn;
    const Image out = edit.renderFrame(frame, MediaTime(1, 1), RenderPurpose::exportFile, &drawn);
    ASSERT_EQ(drawn.size(), 2u);
    cv::Mat outside(pixels.size(), CV_8U, cv::Scalar(255));
    for (const Rect& area : drawn)
        outside(pixelRectOf(frame.extent, area) & cv::Rect(0, 0, 320, 180)) = 0;
    cv::Mat difference;
    cv::absdiff(out.pixels, pixels, difference);
    EXPECT_GT(cv::countNonZero(difference.reshape(1, 180 * 320)), 1000) << "the shapes show";
    cv::Mat changedOutside;
    cv::cvtColor(difference, changedOutside, cv::COLOR_RGBA2GRAY);
    changedOutside.setTo(0, outside == 0);
    EXPECT_EQ(cv::countNonZero(changedOutside), 0);
}
