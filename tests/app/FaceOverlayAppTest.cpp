#include "faces/view/FaceOverlayView.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QToolButton>
#include <cstdlib>

#include "app/support/QtTestSupport.h"
#include "app/view/EditingScreen.h"
#include "app/view/EditorWindow.h"
#include "app/view/PreviewView.h"
#include "faces/FaceOverlayLayout.h"
#include "session/EditSession.h"
#include "support/TempFolder.h"

TEST(FaceOverlay, TheFaceToolShowsABoxAroundTheFaceAndAClickSelectsIt) {
    TempFolder folder("overlay");
    const std::string clip = folder.file("face.mp4");
    const std::string make =
        std::string(VEILCUT_SOURCE_DIR) + "/scripts/make-face-clip.sh " + clip + " 2 1 640x360";
    ASSERT_EQ(std::system(make.c_str()), 0);
    EditorWindow window{nullptr, folder.file("autosave")};
    window.resize(900, 700);
    window.show();
    ASSERT_EQ(window.openFile(clip), std::nullopt);
    auto* overlay = byName<FaceOverlayView>(window, "Faces");
    ASSERT_TRUE(overlay);
    EXPECT_FALSE(overlay->isVisible()) << "only the face tool shows faces";

    byName<QToolButton>(window, "Blur Face")->click();
    EXPECT_TRUE(overlay->isVisible());
    EditSession& session = *window.editingScreen().session();
    ASSERT_TRUE(
        processUntil([&] { return session.faceEditor().scanState() == FaceScanState::end; }, 300));
    ASSERT_EQ(session.faceEditor().regions().size(), 1u);

    auto* preview = byName<PreviewView>(window, "Preview");
    auto boxes =
        faceBoxes(session.faceEditor().regions(), session.playhead,
                  session.source()->frameDuration(), preview->placement(*session.source()->size()));
    ASSERT_EQ(boxes.size(), 1u);
    ASSERT_TRUE(boxes[0]);
    const Rect box = *boxes[0];
    // Outside the box a click selects nothing; inside it selects the face for editing.
    clickAt(*preview, QPoint(int(box.x) - 20, int(box.y) - 20));
    EXPECT_FALSE(session.faceEditor().selectedIndex());
    clickAt(*preview, QPoint(int(box.x + box.width / 2), int(box.y + box.height / 2)));
    EXPECT_EQ(session.faceEditor().selectedIndex(), 0);
    auto* editTitle = byName<QLabel>(window, "Edit title");
    EXPECT_TRUE(editTitle->isVisible());
    EXPECT_EQ(editTitle->text(), "EDIT FACE");
    byName<QPushButton>(window, "Done")->click();
    EXPECT_FALSE(session.faceEditor().selectedIndex());
    EXPECT_FALSE(editTitle->isVisible());
}
