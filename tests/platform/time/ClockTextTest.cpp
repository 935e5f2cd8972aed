#include "platform/time/ClockText.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(ClockText, WholeSecondsTruncatedAndNonsenseAsZero) {
    EXPECT_EQ(minutesAndSeconds(0), "00:00");
    EXPECT_EQ(minutesAndSeconds(59.99), "00:59");
    EXPECT_EQ(minutesAndSeconds(61), "01:01");
    EXPECT_EQ(minutesAndSeconds(7504), "125:04");
    EXPECT_EQ(minutesAndSeconds(-3), "00:00");
    EXPECT_EQ(minutesAndSeconds(NAN), "00:00");
    EXPECT_EQ(minutesAndSeconds(INFINITY), minutesAndSeconds(1e15));
}
