#include "timeline/TrimBarModel.h"

#include <gtest/gtest.h>

#include <cmath>

#include "timeline/TimeLabel.h"

namespace {

// A 100 s video at 25 frames per second, the region available from 20 % to 60 %, on a line
// whose usable track is 200 pixels.
struct TrimBarModelTest : ::testing::Test {
    void SetUp() override {
        bar.setLineWidth(216);
        bar.setUp({0.3, 0.5, 0.2, 0.6, 100, 0.04});
    }
    TrimBarModel bar;
};

}  // namespace

TEST(TimeLabel, PadsTheMinutesAndReadsUnknownTimesAsZero) {
    EXPECT_EQ(trimTimeLabel(75.9), " 1:15");
    EXPECT_EQ(trimTimeLabel(0), " 0:00");
    EXPECT_EQ(trimTimeLabel(3599.99), "59:59");
    EXPECT_EQ(trimTimeLabel(-1), "00:00");
    EXPECT_EQ(trimTimeLabel(std::nan("")), "00:00");
    EXPECT_FALSE(trimTimeLabel(INFINITY).empty());
}

TEST_F(TrimBarModelTest, HandlesHighlightAndLabelsFollowTheFractions) {
    EXPECT_DOUBLE_EQ(bar.handleLeft(TrimHandle::start), 60);
    EXPECT_DOUBLE_EQ(bar.handleLeft(TrimHandle::end), 100);
    EXPECT_DOUBLE_EQ(bar.highlight().left, 68);  // from centre to centre
    EXPECT_DOUBLE_EQ(bar.highlight().width, 40);
    EXPECT_EQ(bar.label(TrimHandle::start), " 0:30");
    EXPECT_EQ(bar.label(TrimHandle::end), " 0:50");
    EXPECT_EQ(bar.handleAt(70), TrimHandle::start);
    EXPECT_EQ(bar.handleAt(101), TrimHandle::end);
    EXPECT_FALSE(bar.handleAt(90));

    // A trim given outside the range is shown inside it.
    bar.setUp({0.1, 0.9, 0.2, 0.6, 100, 0.04});
    EXPECT_DOUBLE_EQ(bar.fraction(TrimHandle::start), 0.2);
    EXPECT_DOUBLE_EQ(bar.fraction(TrimHandle::end), 0.6);
}

TEST_F(TrimBarModelTest, ADragStaysInTheRangeShowsTheHandleAndCommitsInOrderOnRelease) {
    bar.beginDrag(TrimHandle::start);
    EXPECT_DOUBLE_EQ(*bar.dragBy(-100), 0.2);
    EXPECT_DOUBLE_EQ(*bar.dragBy(20), 0.4);
    EXPECT_DOUBLE_EQ(*bar.dragBy(1000), 0.6);  // past the end handle: the handles cross
    const TrimRange committed = bar.endDrag();
    EXPECT_DOUBLE_EQ(committed.from, 0.5);
    EXPECT_DOUBLE_EQ(committed.to, 0.6);
    EXPECT_FALSE(bar.dragBy(5));

    bar.beginDrag(TrimHandle::end);
    bar.dragBy(-60);
    bar.cancelDrag();
    EXPECT_DOUBLE_EQ(bar.fraction(TrimHandle::end), 0.5);
}

TEST_F(TrimBarModelTest, KeysStepByAFrameOrASecondAndStopAtTheRange) {
    EXPECT_NEAR(bar.press(TrimHandle::start, StepKey::forward).from, 0.3004, 1e-12);
    EXPECT_NEAR(bar.press(TrimHandle::start, StepKey::pageBack).from, 0.2904, 1e-12);
    EXPECT_DOUBLE_EQ(bar.press(TrimHandle::start, StepKey::first).from, 0.2);
    EXPECT_DOUBLE_EQ(bar.press(TrimHandle::start, StepKey::back).from, 0.2);
    EXPECT_DOUBLE_EQ(bar.press(TrimHandle::end, StepKey::last).to, 0.6);
    EXPECT_DOUBLE_EQ(bar.press(TrimHandle::end, StepKey::pageForward).to, 0.6);
}

TEST_F(TrimBarModelTest, LabelsNeverOverlapAndStayInsideTheLine) {
    const double width = 216, startWidth = 40, endWidth = 48;
    bar.setUp({0, 1, 0, 1, 100, 0.04});
    const auto apart = bar.labelLefts(startWidth, endWidth);  // room enough: under the handles
    EXPECT_DOUBLE_EQ(apart.start, 0);                         // kept inside at the far left
    EXPECT_DOUBLE_EQ(apart.end + endWidth, width);
    for (double s = 0; s <= 1; s += 0.05) {
        for (double e = 0; e <= 1; e += 0.05) {
            bar.setUp({s, e, 0, 1, 100, 0.04});
            const auto lefts = bar.labelLefts(startWidth, endWidth);
            SCOPED_TRACE(::testing::Message() << "start " << s << ", end " << e);
            EXPECT_GE(std::min(lefts.start, lefts.end), 0);
            EXPECT_LE(lefts.start + startWidth, width + 1e-9);
            EXPECT_LE(lefts.end + endWidth, width + 1e-9);
            const bool startFirst = lefts.start <= lefts.end;
            const double gap = startFirst ? lefts.end - (lefts.start + startWidth)
                                          : lefts.start - (lefts.end + endWidth);
            EXPECT_GE(gap, TrimBarModel::LABEL_GAP - 1e-9);
        }
    }
}
