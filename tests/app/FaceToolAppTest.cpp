#include "app/faces/FaceToolView.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSettings>
#include <QToolButton>
#include <QWindow>
#include <cstdlib>

#include "app/controls/TrimBar.h"
#include "app/support/QtTestSupport.h"
#include "app/view/EditingScreen.h"
#include "app/view/EditorWindow.h"
#include "app/view/PreviewView.h"
#include "faces/FaceOverlayLayout.h"
#include "session/EditSession.h"
#include "support/TempFolder.h"

namespace {

// The editor on a clip of two people, its face scan done, the face tool chosen.
struct FaceToolTest : ::testing::Test {
    static void SetUpTestSuite() {
        clip = new std::string(folder->file("two.mp4"));
        const std::string make = std::string(VEILCUT_SOURCE_DIR) + "/scripts/make-face-clip.sh " +
                                 *clip + " 3 2 640x360 >/dev/null 2>&1";
        ASSERT_EQ(std::system(make.c_str()), 0);
    }
    void SetUp() override {
        QSettings().setValue("didRate", true);
        window.resize(1000, 760);
        window.show();
        // Keys reach the window's shortcuts only while it is the active one.
        window.activateWindow();
        ASSERT_TRUE(processUntil([&] { return window.isActiveWindow(); }));
        ASSERT_EQ(window.openFile(*clip), std::nullopt);
        byName<QToolButton>(window, "Blur Face")->click();
        ASSERT_TRUE(processUntil([&] { return faces().scanState() == FaceScanState::end; }, 300));
        ASSERT_EQ(faces().regions().size(), 2u);
    }
    void TearDown() override { window.editingScreen().closeVideo(); }
    EditSession& session() { return *window.editingScreen().session(); }
    FaceEditor& faces() { return session().faceEditor(); }
    QString hiddenText() { return byName<QLabel>(window, "Hidden persons")->text(); }
    // The preview's pixel at the middle of face `index`'s box.
    QColor shownAtFace(size_t index) {
        auto* preview = byName<PreviewView>(window, "Preview");
        auto boxes =
            faceBoxes(faces().regions(), session().playhead, session().source()->frameDuration(),
                      preview->placement(*session().source()->size()));
        const Rect box = boxes.at(index).value();
        return preview->grab().toImage().pixelColor(int(box.x + box.width / 2),
                                                    int(box.y + box.height / 2));
    }

    static inline TempFolder* folder = new TempFolder("facetool");
    static inline std::string* clip = nullptr;
    EditorWindow window{nullptr, folder->file("autosave")};
};

bool sameColour(QColor a, QColor b) {
    return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
               std::abs(a.blue() - b.blue()) <
           12;
}

}  // namespace

TEST_F(FaceToolTest, EveryPersonFoundStartsHiddenAndHideNoneOrAllChangesEveryone) {
    EXPECT_EQ(faces().hiddenFaceCount(), 2u) << "saving at once must leak no face";
    EXPECT_EQ(hiddenText(), "2 of 2 persons hidden");
    auto* hideAll = byName<QPushButton>(window, "Hide all");
    EXPECT_FALSE(hideAll->isEnabled());

    byName<QPushButton>(window, "Hide none")->click();
    EXPECT_EQ(faces().hiddenFaceCount(), 0u);
    EXPECT_EQ(hiddenText(), "0 of 2 persons hidden");
    auto* strip = byName<QListWidget>(window, "Persons");
    ASSERT_EQ(strip->count(), 2);
    EXPECT_EQ(strip->item(1)->data(Qt::AccessibleTextRole).toString(), "Person 2");
    EXPECT_TRUE(strip->item(1)->text().contains("visible"));
    ASSERT_TRUE(hideAll->isEnabled());
    hideAll->click();
    EXPECT_EQ(faces().hiddenFaceCount(), 2u);
}

TEST_F(FaceToolTest, PickingAPersonInTheStripEditsItAndTheBackslashShowsTheOriginalWhileHeld) {
    auto* strip = byName<QListWidget>(window, "Persons");
    clickAt(*strip->viewport(), strip->visualItemRect(strip->item(1)).center());
    EXPECT_EQ(faces().selectedIndex(), 1);
    EXPECT_TRUE(byName<QLabel>(window, "Edit title")->isVisible());

    ASSERT_TRUE(
        processUntil([&] { return !byName<PreviewView>(window, "Preview")->grab().isNull(); }));
    processUntil([] { return false; }, 0.5);
    const QColor covered = shownAtFace(1);
    QWindow* handle = window.windowHandle();
    key(*handle, Qt::Key_Backslash);
    auto* badge = byName<QLabel>(window, "Showing original");
    EXPECT_TRUE(badge->isVisible());
    ASSERT_TRUE(processUntil([&] { return !sameColour(shownAtFace(1), covered); }, 5))
        << "the face under its cover shows while the key is down";
    const QColor original = shownAtFace(1);
    key(*handle, Qt::Key_Backslash, Qt::NoModifier, QEvent::KeyRelease);
    EXPECT_FALSE(badge->isVisible());
    EXPECT_TRUE(processUntil([&] { return !sameColour(shownAtFace(1), original); }, 5));

    key(*handle, Qt::Key_Escape);
    EXPECT_TRUE(processUntil([&] { return !faces().selectedIndex(); }))
        << "Escape puts the edit back and ends it";
}

TEST_F(FaceToolTest, NextAndPreviousFaceStepThroughWhereCoversStartAndEnd) {
    window.editingScreen().moveTo(0);
    const double frame = session().source()->frameDuration();
    std::vector<double> edges;
    for (const TrackedRegion& region : faces().regions()) {
        edges.push_back(region.trimTime.start.seconds());
        edges.push_back(
            std::max(region.trimTime.start.seconds(), region.trimTime.end().seconds() - frame));
    }
    std::sort(edges.begin(), edges.end());
    auto* next = byName<QPushButton>(window, "Next face");
    double last = session().playhead.seconds();
    for (double edge : edges) {
        if (edge - last <= frame / 2) continue;
        next->click();
        EXPECT_NEAR(session().playhead.seconds(), edge, 0.01);
        last = edge;
    }
    const double end = session().playhead.seconds();
    next->click();
    EXPECT_EQ(session().playhead.seconds(), end) << "past the last edge, the playhead stays";
    trigger(window, "Previous Face");
    EXPECT_LT(session().playhead.seconds(), end);
}

TEST_F(FaceToolTest, AFocusedControlTakesTheArrowsBeforeThePlayheadShortcuts) {
    auto* strip = byName<QListWidget>(window, "Persons");
    clickAt(*strip->viewport(), strip->visualItemRect(strip->item(0)).center());
    ASSERT_EQ(faces().selectedIndex(), 0);
    auto* trim = byName<TrimBar>(window, "Trim");
    trim->setFocus();
    ASSERT_TRUE(processUntil([&] { return trim->hasFocus(); }));
    const double before = faces().selectedTrimFractions()->start;
    key(*window.windowHandle(), Qt::Key_End);
    EXPECT_GT(faces().selectedTrimFractions()->start, before)
        << "End moved the focused handle, not the playhead to the end";
}
