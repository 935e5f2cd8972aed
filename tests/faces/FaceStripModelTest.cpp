// The face tool's scan display and strip: what the overlay shows, the progress message, the
// strip's cells in each state of the scan, and where picking a person puts the playhead.

#include "faces/FaceStripModel.h"

#include <gtest/gtest.h>

#include "faces/FaceScanStatus.h"
#include "support/TrackedRegions.h"

namespace {

FaceScanStatus status(FaceScanPhase phase, double progress, double playhead, size_t faces) {
    return {phase, progress, playhead, faces};
}

}  // namespace

TEST(FaceScanStatus, ProgressIsRoundedAndShownWhileTheScanIsBehindThePlayhead) {
    EXPECT_EQ(scanProgressMessage(0.454), "Blur Face Processing...45%");
    EXPECT_EQ(scanProgressMessage(0.456), "Blur Face Processing...46%");
    EXPECT_EQ(scanProgressMessage(0), "Blur Face Processing...0%");

    using enum FaceScanPhase;
    using enum FaceOverlayContent;
    EXPECT_EQ(faceOverlayContent(status(running, 0.3, 0.5, 2)), progress);
    EXPECT_EQ(faceOverlayContent(status(running, 0, 0, 0)), progress);  // nothing read yet
    EXPECT_EQ(faceOverlayContent(status(running, 0.6, 0.5, 2)), boxes);
    EXPECT_EQ(faceOverlayContent(status(ended, 1, 0.5, 0)), noFaceDetected);
    EXPECT_EQ(faceOverlayContent(status(ended, 1, 0.5, 2)), boxes);
    EXPECT_EQ(faceOverlayContent(status(notStarted, 0, 0.5, 2)), boxes);  // from a project
    EXPECT_EQ(faceOverlayContent(status(notStarted, 0, 0.5, 0)), progress);

    // The playhead in the duration's timescale, rounded half away from zero.
    EXPECT_DOUBLE_EQ(playheadFraction(MediaTime(1, 1200), MediaTime(600, 600)), 1.0 / 600);
    EXPECT_EQ(playheadFraction(sec(3), std::nullopt), 0);
}

TEST(FaceStripModel, CellsInEachStateOfTheScan) {
    using enum FaceScanPhase;
    using Cells = std::vector<FaceCell>;
    const Cells loading(FACE_STRIP_PLACEHOLDERS, FaceCell::loading);
    EXPECT_EQ(faceStripCells(status(running, 0.3, 0.5, 2)), loading);
    EXPECT_EQ(faceStripCells(status(running, 0.6, 0.5, 2)), Cells(2, FaceCell::face));
    EXPECT_EQ(faceStripCells(status(running, 0.6, 0.5, 0)), Cells());
    EXPECT_EQ(faceStripCells(status(ended, 1, 0.5, 3)), Cells(3, FaceCell::face));
    EXPECT_EQ(faceStripCells(status(ended, 1, 0.5, 0)),
              Cells(FACE_STRIP_PLACEHOLDERS, FaceCell::empty));
    EXPECT_EQ(faceStripCells(status(notStarted, 0, 0, 0)), loading);
}

TEST(FaceStripModel, PickingAPersonMovesThePlayheadIntoItsTrim) {
    TrackedRegion later = trackedFrom(12, 20);
    EXPECT_EQ(playheadForPickedFace(later, sec(3)), sec(12));
    EXPECT_EQ(playheadForPickedFace(later, sec(25)), sec(20));
    EXPECT_FALSE(playheadForPickedFace(later, sec(15)));
    later.keepUserTrim({sec(14), sec(2)});
    EXPECT_EQ(playheadForPickedFace(later, sec(3)), sec(14));
}
