#include "faces/FaceEditor.h"

#include <gtest/gtest.h>

#include "core/CurrentSource.h"
#include "core/Notifications.h"
#include "platform/dispatch/MainQueue.h"
#include "support/ScriptedSourceProbe.h"
#include "support/TrackedRegions.h"

namespace {

constexpr double FRAME = 1.0 / 30;
const MediaTime VIDEO = MediaTime(24000, 600);  // 40 s

struct FaceEditorTest : ::testing::Test {
    void SetUp() override {
        MainQueue::shared().bindToCurrentThread();
        source.set(loadedScriptedVideo(steps, VIDEO));
        for (auto [name, label] :
             std::initializer_list<std::pair<const NotificationName*, const char*>>{
                 {&Notifications::onEditFace, "onEdit"},
                 {&Notifications::offEditFace, "offEdit"},
                 {&Notifications::progressing, "progressing"},
                 {&Notifications::endProcess, "end"},
                 {&Notifications::updateFilter, "update"}})
            tokens.push_back(NotificationCenter::defaultCenter().addObserver(
                *name, [this, label = std::string(label)](auto) { posted.push_back(label); }));
        face.progressMerge({trackedFrom(5, 35), trackedFrom(1, 2)}, 0.9, VIDEO, FRAME);
        take();
    }
    std::vector<std::string> take() { return std::exchange(posted, {}); }

    CurrentSource source;
    FaceEditor face{source, [](std::string& error) -> std::optional<FaceScanDetectors> {
                        error = "no detectors in unit tests";
                        return std::nullopt;
                    }};
    std::vector<std::string> steps;
    std::vector<std::string> posted;
    std::vector<std::unique_ptr<NotificationCenter::Token>> tokens;
};

}  // namespace

TEST_F(FaceEditorTest, SelectingOutsideTheListDoesNothing) {
    face.select(2);
    face.select(-1);
    EXPECT_FALSE(face.selectedIndex());
    EXPECT_TRUE(take().empty());
    face.setCover(1);  // nothing selected
    EXPECT_EQ(face.regions()[0].cover, Cover::none);
    EXPECT_EQ(face.selectedCover(), Cover::none);
}

TEST_F(FaceEditorTest, CancelPutsTheCopyFromSelectionBackAndEndKeepsTheChanges) {
    std::string id = face.regions()[0].id;
    face.select(0);
    face.setCover(int(Cover::emoji));
    face.setScale(1.5);
    face.trim(0.25, 0.75);
    EXPECT_EQ(take(), (std::vector<std::string>{"onEdit", "update", "update", "update"}));
    face.cancelEdit();
    EXPECT_EQ(take(), (std::vector<std::string>{"offEdit", "update"}));
    EXPECT_EQ(face.regions()[0].cover, Cover::none);
    EXPECT_EQ(face.regions()[0].scale, 1.0);
    EXPECT_NE(face.regions()[0].id, id);
    EXPECT_FALSE(face.regions()[0].trimmedByUser());
    EXPECT_FALSE(face.selectedIndex() || face.isEditing());

    face.select(1);
    face.setCover(int(Cover::circle));
    face.finishEdit();
    EXPECT_EQ(face.regions()[1].cover, Cover::circle);
    EXPECT_FALSE(face.isEditing());
    EXPECT_EQ(take().back(), "offEdit");
}

TEST_F(FaceEditorTest, TrimNarrowsWithinTheTrackedSpanAndLaterMergesKeepIt) {
    face.select(0);
    face.trim(0, 1);
    EXPECT_EQ(face.regions()[0].trimTime.start, sec(5));
    EXPECT_EQ(face.regions()[0].trimTime.end(), sec(35));
    face.trim(0.25, 0.75);
    EXPECT_EQ(face.regions()[0].trimTime.start, sec(10));
    EXPECT_EQ(face.regions()[0].trimTime.end(), sec(30));
    face.trim(0.6, 0.4);  // crossed handles: an empty trim, never a negative one
    EXPECT_EQ(face.regions()[0].trimTime.duration, sec(0));
    face.trim(0.25, 0.75);
    face.setIntensity(1.7);
    EXPECT_EQ(face.regions()[0].style.intensity, 1.0);
    face.setIntensity(-0.2);
    EXPECT_EQ(face.regions()[0].style.intensity, 0.0);
    face.setCover(4);
    EXPECT_EQ(face.selectedCover(), Cover::none);
    face.finishEdit();
    take();

    // The scan goes on: the person is seen until the end, a third person appears.
    std::string id = face.regions()[0].id;
    face.completionMerge({trackedFrom(5, 39.99), trackedFrom(1, 2), trackedFrom(3, 4)}, VIDEO,
                         FRAME);
    EXPECT_EQ(take(), (std::vector<std::string>{"end", "update"}));
    EXPECT_EQ(face.scanState(), FaceScanState::end);
    ASSERT_EQ(face.regions().size(), 3u);
    EXPECT_EQ(face.regions()[0].id, id);
    EXPECT_EQ(face.regions()[0].endTime, VIDEO);
    EXPECT_EQ(face.regions()[0].trimTime.end(), sec(30));
    EXPECT_EQ(face.regions()[0].style.intensity, 0.0);
}

TEST_F(FaceEditorTest, ATrimTouchedWhileTheScanRunsLetsTheFaceGrowWhereItWasNotNarrowed) {
    face.select(0);
    face.beginTrim();
    face.progressMerge({trackedFrom(5, 36), trackedFrom(1, 2)}, 0.92, VIDEO, FRAME);
    face.trim(0, 1);  // released at both ends of the span: no trim
    face.progressMerge({trackedFrom(5, 38), trackedFrom(1, 2)}, 0.95, VIDEO, FRAME);
    EXPECT_FALSE(face.regions()[0].trimmedByUser());
    EXPECT_EQ(face.regions()[0].trimTime.end(), sec(38));

    face.beginTrim();
    face.trim(0.25, 1);  // only the start narrowed: the end goes on following the person
    // While a handle is dragged the face is shown over its whole span, also as the scan reports.
    face.beginTrim();
    face.progressMerge({trackedFrom(5, 39), trackedFrom(1, 2)}, 0.97, VIDEO, FRAME);
    EXPECT_EQ(face.regions()[0].trimTime.start, sec(5));
    face.trim(0.25, 1);
    face.completionMerge({trackedFrom(5, 39.99), trackedFrom(1, 2)}, VIDEO, FRAME);
    EXPECT_EQ(face.regions()[0].trimTime.start, sec(10));
    EXPECT_EQ(face.regions()[0].trimTime.end(), VIDEO);
}

TEST_F(FaceEditorTest, HandlesReleasedAtTheSpansEdgesAreNoTrimInACoarseTimescale) {
    const MediaTime video(1200, 30);  // 40 s, in thirtieths: 35.01 s lies between two ticks
    source.set(loadedScriptedVideo(steps, video));
    face.load({trackedFrom(5.01, 35.01)});
    face.select(0);
    const TrimFractions handles = *face.selectedTrimFractions();
    face.beginTrim();
    face.trim(handles.minStart, handles.maxEnd);
    EXPECT_FALSE(face.regions()[0].trimmedByUser());
    face.progressMerge({trackedFrom(5.01, 38)}, 0.95, video, FRAME);
    EXPECT_EQ(face.regions()[0].trimTime.end(), sec(38));
}

TEST_F(FaceEditorTest, TheRendererDrawsOnlyPublishedRegions) {
    Image frame(cv::Mat(100, 100, CV_8UC4, cv::Scalar(40, 120, 200, 255)));
    auto drawnAt = [&](double s) {
        auto out =
            face.render(frame, frame, {sec(s), FRAME, RenderPurpose::exportFile, nullptr}, nullptr);
        return !out->sharesPixelsWith(frame);
    };
    EXPECT_FALSE(drawnAt(10));  // every region starts as type none
    face.select(0);
    face.setCover(int(Cover::rectangle));
    face.setIntensity(1);
    EXPECT_TRUE(drawnAt(10));
    EXPECT_FALSE(drawnAt(36));
    face.reset();
    EXPECT_FALSE(drawnAt(10));
    EXPECT_TRUE(face.regions().empty());
    EXPECT_EQ(face.scanProgress(), 0.0);
}

TEST_F(FaceEditorTest, AScanThatCannotRunEndsWithoutFaces) {
    std::string reason;
    face.reset();
    face.startFaceScan([&](const std::string& r) { reason = r; });
    // The scripted source names no real file: the reader cannot be made.
    ASSERT_TRUE(
        MainQueue::shared().runUntil([&] { return !reason.empty(); }, std::chrono::seconds(10)));
    EXPECT_EQ(face.scanState(), FaceScanState::end);
    EXPECT_TRUE(face.regions().empty());
}

TEST_F(FaceEditorTest, PersonsFoundAfterHidingIsSetStartHiddenAndHideAllKeepsChosenLooks) {
    face.select(0);
    face.setCover(int(Cover::rectangle));
    face.setStyle(StyleKind::pixellate);
    face.finishEdit();
    take();

    face.setHidingForNewFaces(FaceHiding{});
    face.progressMerge({trackedFrom(5, 36), trackedFrom(1, 2), trackedFrom(20, 30)}, 0.95, VIDEO,
                       FRAME);
    EXPECT_EQ(take(), (std::vector<std::string>{"progressing", "update"}))
        << "a hidden person moving changes the frames on screen";
    EXPECT_EQ(face.regions()[1].cover, Cover::none) << "a person already found keeps its choice";
    EXPECT_EQ(face.regions()[2].cover, Cover::circle);
    EXPECT_EQ(face.regions()[2].style.type, StyleKind::gaussian);
    EXPECT_EQ(face.hiddenFaceCount(), 2u);

    face.hideEveryFace(FaceHiding{});
    EXPECT_EQ(face.hiddenFaceCount(), 3u);
    EXPECT_EQ(face.regions()[0].cover, Cover::rectangle);
    EXPECT_EQ(face.regions()[0].style.type, StyleKind::pixellate);
    EXPECT_EQ(take(), (std::vector<std::string>{"update"}));
    face.hideEveryFace(FaceHiding{});
    EXPECT_TRUE(take().empty()) << "nothing changed, nothing to redraw";

    face.showEveryFace();
    EXPECT_EQ(face.hiddenFaceCount(), 0u);
    EXPECT_EQ(face.regions()[0].style.type, StyleKind::pixellate) << "the rest of the look stays";
    EXPECT_EQ(take(), (std::vector<std::string>{"update"}));
    // Nobody hidden: a report about them changes no frame.
    face.progressMerge({trackedFrom(5, 37), trackedFrom(1, 2), trackedFrom(20, 31)}, 0.97, VIDEO,
                       FRAME);
    EXPECT_EQ(take(), (std::vector<std::string>{"progressing"}));
}
