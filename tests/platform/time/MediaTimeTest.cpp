#include "platform/time/MediaTime.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(MediaTime, ArithmeticIsExactAcrossTimescales) {
    MediaTime a(1, 3), b(1, 2);
    MediaTime sum = a + b;  // 5/6 exactly
    EXPECT_EQ(sum.value, 5);
    EXPECT_EQ(sum.timescale, 6);
    EXPECT_FALSE(sum.flags & MediaTime::hasBeenRounded);
    EXPECT_EQ(a - a, MediaTime::zero());
    EXPECT_EQ(MediaTime(512, 15360) + MediaTime(1001, 30000), MediaTime(2001, 30000) + MediaTime(0, 7));
}

TEST(MediaTime, ComparesInstantsNotRepresentations) {
    EXPECT_EQ(MediaTime(1, 2), MediaTime(15360, 30720));
    EXPECT_LT(MediaTime(1001, 30000), MediaTime(1, 29));
    // Values that overflow 64 bits when cross-multiplied still compare correctly.
    MediaTime huge(INT64_MAX - 1, 1000000000), hugeNext(INT64_MAX, 1000000000);
    EXPECT_LT(huge, hugeNext);
    EXPECT_LT(MediaTime(5, 1), MediaTime::invalid());
}

TEST(MediaTime, ResultsThatDoNotFitAreRoundedAndFlagged) {
    MediaTime a(INT64_MAX / 2, 999999937), b(INT64_MAX / 2, 999999929);  // coprime timescales
    MediaTime sum = a + b;
    EXPECT_TRUE(sum.isValid());
    EXPECT_TRUE(sum.flags & MediaTime::hasBeenRounded);
    EXPECT_NEAR(sum.seconds(), a.seconds() + b.seconds(), 1e-6 * sum.seconds());
}

TEST(MediaTime, SecondsAndConversion) {
    EXPECT_DOUBLE_EQ(MediaTime(3003, 90000).seconds(), 3003.0 / 90000);
    EXPECT_TRUE(std::isnan(MediaTime::invalid().seconds()));
    MediaTime t = MediaTime(1001, 30000).convertScale(600);
    EXPECT_EQ(t.value, 20);  // 20.02 rounded
    EXPECT_TRUE(t.flags & MediaTime::hasBeenRounded);
    EXPECT_FALSE(MediaTime::fromSeconds(std::nan(""), 600).isValid());
    EXPECT_EQ(MediaTime::fromSeconds(1.5, 600), MediaTime(900, 600));
}

TEST(MediaTimeRange, ContainsItsStartButNotItsEnd) {
    MediaTimeRange r{MediaTime(1, 1), MediaTime(2, 1)};
    EXPECT_TRUE(r.contains(MediaTime(1, 1)));
    EXPECT_TRUE(r.contains(MediaTime(2999, 1000)));
    EXPECT_FALSE(r.contains(MediaTime(3, 1)));
    EXPECT_EQ(r.end(), MediaTime(3, 1));
}
