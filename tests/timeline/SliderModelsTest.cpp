#include <gtest/gtest.h>

#include <cmath>

#include "timeline/ScaleBarModel.h"
#include "timeline/TickSliderModel.h"
#include "timeline/ValueSliderModel.h"

TEST(ScaleBarModel, TheKnobRunsFromHalfToThreeTimesShownAsAWholePercentage) {
    ScaleBarModel bar;
    bar.setLineWidth(218);  // 200 pixels of travel
    bar.setValue(1.75);
    EXPECT_DOUBLE_EQ(bar.knobLeft(), 100);
    EXPECT_EQ(bar.label(), "175%");
    bar.beginDrag();
    EXPECT_DOUBLE_EQ(bar.dragBy(-100), 0.5);
    EXPECT_EQ(bar.label(), "50%");
    EXPECT_DOUBLE_EQ(bar.dragBy(500), 3.0);
    EXPECT_EQ(bar.label(), "300%");
    EXPECT_DOUBLE_EQ(bar.dragBy(20), 2.0);
    bar.setValue(0.58);  // a hair below 58 in binary
    EXPECT_EQ(bar.label(), "58%");
    bar.setValue(1.234);
    EXPECT_EQ(bar.label(), "123%");
    bar.setValue(7);
    EXPECT_DOUBLE_EQ(bar.value(), 3.0);
    EXPECT_DOUBLE_EQ(bar.press(StepKey::back), 2.95);
    EXPECT_DOUBLE_EQ(bar.press(StepKey::first), 0.5);
    EXPECT_DOUBLE_EQ(bar.press(StepKey::pageForward), 0.75);
}

TEST(TickSliderModel, TheRulerUnderTheMarkGivesTheValueAndEachTickIsPassedOnce) {
    TickSliderModel slider;
    slider.setWidth(300);
    slider.setValue(0.5);
    EXPECT_DOUBLE_EQ(slider.tickX(35), slider.markX());  // the ruler's 350-point mark
    EXPECT_FALSE(slider.scrollBy(1).tickPassed);         // laid out from a value: no tick behind it
    EXPECT_DOUBLE_EQ(slider.scrollBy(-1000).value, 0);
    EXPECT_DOUBLE_EQ(slider.scrollBy(2000).value, 1);
    slider.scrollBy(-1000);
    int passed = 0;
    for (int step = 0; step < 800; ++step) passed += slider.scrollBy(1).tickPassed;
    EXPECT_EQ(passed, TickSliderModel::TICK_COUNT - 1);
    EXPECT_EQ(slider.currentTick(), TickSliderModel::TICK_COUNT - 1);
    EXPECT_NEAR(slider.press(StepKey::back).value, 0.99, 1e-12);
    EXPECT_DOUBLE_EQ(slider.press(StepKey::first).value, 0);
}

TEST(ValueSliderModel, ShowsPercentAndIgnoresEditorChangesOfAHundredthOrLess) {
    ValueSliderModel slider;
    EXPECT_EQ(slider.label(), "0");
    EXPECT_TRUE(slider.setValue(0.5));
    EXPECT_EQ(slider.label(), "50");
    EXPECT_FALSE(slider.setValue(0.505));
    EXPECT_FALSE(slider.setValue(0.51));
    EXPECT_FALSE(slider.setValue(0.49));
    EXPECT_FALSE(slider.setValue(std::nan("")));
    EXPECT_DOUBLE_EQ(slider.value(), 0.5);
    EXPECT_TRUE(slider.setValue(0.52));
    EXPECT_EQ(slider.label(), "52");
    EXPECT_TRUE(slider.setValue(1.7));
    EXPECT_EQ(slider.label(), "100");
    slider.slider().press(StepKey::first);
    EXPECT_EQ(slider.label(), "0");
}
