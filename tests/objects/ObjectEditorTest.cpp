#include "objects/ObjectEditor.h"

#include <gtest/gtest.h>

#include <chrono>

#include "core/Notifications.h"
#include "objects/FakeTracking.h"
#include "platform/dispatch/MainQueue.h"
#include "regions/EmojiCatalogue.h"

using namespace std::chrono_literals;

namespace {

struct ObjectEditorTest : ::testing::Test {
    void SetUp() override {
        MainQueue::shared().bindToCurrentThread();
        video = makeScriptedVideo(6000);  // 10 s, 250 frames
        source.set(video);
        for (auto [name, label] :
             std::initializer_list<std::pair<const NotificationName*, const char*>>{
                 {&Notifications::endTrackingObject, "end"},
                 {&Notifications::onEditObjects, "onEdit"},
                 {&Notifications::offEditObjects, "offEdit"},
                 {&Notifications::deleteObject, "delete"},
                 {&Notifications::updateFilter, "update"}})
            tokens.push_back(NotificationCenter::defaultCenter().addObserver(
                *name, [this, label = std::string(label)](auto) {
                    posted.push_back(label);
                    if (label == "delete") indexAtDelete = editor->selectedIndex();
                }));
        tokens.push_back(NotificationCenter::defaultCenter().addObserver(
            Notifications::tracking, [this](auto p) { progress.push_back(p.value_or(-1)); }));
    }
    void makeEditor(TrackScript script = followSeed) {
        editor.emplace(source, fakeServices(250, std::move(script)));
    }
    void track(double at) {
        posted.clear();
        editor->trackObject({0.4, 0.1, 0.2, 0.3}, MediaTime::fromSeconds(at, 600));
        ASSERT_TRUE(MainQueue::shared().runUntil(
            [&] { return !posted.empty() && posted.back() == "end"; }, 30s));
    }
    // A region tracked from 2 s to 5 s: seen from 2.12 s to 4.88 s, then held for three frames.
    void trackTwoToFive() {
        makeEditor([](int frame, const Rect& seed) {
            return std::optional(TrackedObject{seed, frame >= 53 && frame <= 122 ? 1.0f : 0.0f});
        });
        track(3);
    }

    CurrentSource source;
    std::shared_ptr<SourceVideo> video;
    std::optional<ObjectEditor> editor;
    std::vector<std::unique_ptr<NotificationCenter::Token>> tokens;
    std::vector<std::string> posted;
    std::vector<double> progress;
    std::optional<int> indexAtDelete;
};

MediaTime sec(double s) {
    return MediaTime::fromSeconds(s, 600);
}

}  // namespace

TEST_F(ObjectEditorTest, TrackingJoinsBothPassesIntoOneUnselectedCircleRegion) {
    makeEditor();
    track(4);
    ASSERT_EQ(editor->regions().size(), 1u);
    const TrackedRegion& region = editor->regions()[0];
    EXPECT_EQ(region.samples.size(), 250u);
    EXPECT_EQ(region.samples.front().timeStamp, MediaTime::zero());
    // The top-left box as a lower-left rect.
    EXPECT_DOUBLE_EQ(region.samples.front().nominalRect.y, 0.6);
    EXPECT_EQ(region.cover, Cover::circle);
    EXPECT_EQ(region.emoji, emojiList().front());
    // The last frame lies within one frame of the end: the span runs to the end of the video.
    EXPECT_EQ(region.endTime, sec(10));
    EXPECT_EQ(region.trimTime.end(), sec(10));
    EXPECT_FALSE(editor->selectedIndex());
    EXPECT_EQ(progress.front(), 0);
    EXPECT_NEAR(progress.back(), 1.0, 1e-9);
    EXPECT_EQ(posted, std::vector<std::string>{"end"});
    EXPECT_FALSE(editor->isTracking());

    // Marked at the first frame: nothing before it; the region starts at the mark.
    track(0);
    ASSERT_EQ(editor->regions().size(), 2u);
    EXPECT_EQ(editor->regions()[1].startTime, MediaTime::zero());
}

TEST_F(ObjectEditorTest, ARunThatAcceptsNoFrameAddsNoRegion) {
    makeEditor([](int, const Rect& seed) { return std::optional(TrackedObject{seed, 0.1f}); });
    track(5);
    EXPECT_TRUE(editor->regions().empty());
    EXPECT_EQ(posted, std::vector<std::string>{"end"});
}

TEST_F(ObjectEditorTest, CancellingEitherPassEndsTheRunWithoutARegion) {
    makeEditor(slowly(followSeed));
    for (double cancelAt : {0.3, 0.8}) {  // during the forward pass, then the backward one
        posted.clear();
        progress.clear();
        editor->trackObject({0.4, 0.1, 0.2, 0.3}, sec(5));
        ASSERT_TRUE(MainQueue::shared().runUntil(
            [&] { return !progress.empty() && progress.back() >= cancelAt; }, 30s));
        editor->cancelTracking();
        ASSERT_TRUE(MainQueue::shared().runUntil([&] { return !posted.empty(); }, 30s));
        MainQueue::shared().runUntil([] { return false; }, 50ms);
        EXPECT_EQ(posted, std::vector<std::string>{"end"});
        EXPECT_TRUE(editor->regions().empty());
        // Cancelled in the forward pass: the backward pass never started.
        if (cancelAt < 0.5) {
            EXPECT_LT(progress.back(), 0.5);
        }
    }
}

TEST_F(ObjectEditorTest, ResetDuringARunDropsItsRegion) {
    makeEditor(slowly(followSeed));
    editor->trackObject({0.4, 0.1, 0.2, 0.3}, sec(5));
    editor->reset();
    ASSERT_TRUE(MainQueue::shared().runUntil([&] { return !editor->isTracking(); }, 30s));
    EXPECT_TRUE(editor->regions().empty());
}

TEST_F(ObjectEditorTest, SelectingEditingCancellingAndFinishing) {
    trackTwoToFive();
    track(3);
    ASSERT_EQ(editor->regions().size(), 2u);
    posted.clear();
    editor->select(2);  // one past the end
    EXPECT_TRUE(posted.empty());
    EXPECT_EQ(editor->selectedCover(), Cover::none);

    editor->select(1);
    const TrackedRegion before = editor->regions()[1];
    editor->setStyle(StyleKind::pixellate);
    editor->setIntensity(1.5);
    EXPECT_EQ(editor->regions()[1].style.intensity, 1);
    editor->setIntensity(-0.2);
    EXPECT_EQ(editor->regions()[1].style.intensity, 0);
    editor->setSoftness(0.7);
    editor->setEmoji("🐱");
    editor->setScale(3);
    editor->setCover(4);  // not a type
    editor->setCover(3);
    EXPECT_EQ(editor->selectedCover(), Cover::emoji);
    editor->trim(0.35, 0.4);
    editor->cancelEdit();
    const TrackedRegion& after = editor->regions()[1];
    EXPECT_EQ(after.style.type, before.style.type);
    EXPECT_EQ(after.style.intensity, before.style.intensity);
    EXPECT_EQ(after.softness, before.softness);
    EXPECT_EQ(after.emoji, before.emoji);
    EXPECT_EQ(after.scale, before.scale);
    EXPECT_EQ(after.cover, before.cover);
    EXPECT_EQ(after.trimTime.start, before.trimTime.start);
    EXPECT_FALSE(editor->selectedIndex());
    EXPECT_FALSE(editor->isEditing());
    std::vector<std::string> expected{"onEdit"};
    expected.insert(expected.end(), 8, "update");  // the rejected blur type posts nothing
    expected.insert(expected.end(), {"offEdit", "update"});
    EXPECT_EQ(posted, expected);

    posted.clear();
    editor->select(0);
    editor->setScale(2);
    editor->finishEdit();
    EXPECT_EQ(editor->regions()[0].scale, 2);
    EXPECT_FALSE(editor->isEditing());
    EXPECT_EQ(posted, (std::vector<std::string>{"onEdit", "update", "offEdit"}));
}

TEST_F(ObjectEditorTest, TrimOnlyNarrowsTheTrackedSpan) {
    trackTwoToFive();
    ASSERT_EQ(editor->regions().size(), 1u);
    EXPECT_EQ(editor->regions()[0].startTime, sec(2));
    EXPECT_EQ(editor->regions()[0].endTime, sec(5));
    editor->select(0);
    editor->trim(0, 1);
    EXPECT_EQ(editor->regions()[0].trimTime.start, sec(2));
    EXPECT_EQ(editor->regions()[0].trimTime.end(), sec(5));
    editor->trim(0.3, 0.4);
    EXPECT_EQ(editor->regions()[0].trimTime.start, sec(3));
    EXPECT_EQ(editor->regions()[0].trimTime.end(), sec(4));
    editor->trim(0.4, 0.3);  // crossed: empty, never negative
    EXPECT_EQ(editor->regions()[0].trimTime.duration, MediaTime::zero());
    EXPECT_FALSE(editor->regions()[0].trimmedByUser());
}

TEST_F(ObjectEditorTest, RemovingPostsDeleteWhileTheIndexStillNamesTheRegion) {
    trackTwoToFive();
    track(3);
    posted.clear();
    editor->removeSelectedObject();  // nothing selected
    EXPECT_TRUE(posted.empty());
    editor->select(1);
    editor->removeSelectedObject();
    EXPECT_EQ(indexAtDelete, 1);
    EXPECT_EQ(editor->regions().size(), 1u);
    EXPECT_FALSE(editor->selectedIndex());
    EXPECT_EQ(posted, (std::vector<std::string>{"onEdit", "delete", "update"}));
}
