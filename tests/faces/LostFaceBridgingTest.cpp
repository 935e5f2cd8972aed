#include "faces/LostFaceBridging.h"

#include <gtest/gtest.h>

namespace {

MediaTime frame(int i) {
    return MediaTime(i, 30);
}

std::vector<MediaTime> frames(int count) {
    std::vector<MediaTime> times;
    for (int i = 0; i < count; ++i) times.push_back(frame(i));
    return times;
}

}  // namespace

TEST(LostFaceBridging, ATrackIsCarriedToTheNearTrackThatTakesItUpSoonAfter) {
    const Rect lost{0.2, 0.2, 0.1, 0.1}, found{0.3, 0.2, 0.1, 0.1};
    std::vector<std::vector<RegionSample>> tracks{
        {{frame(9), {0.1, 0.2, 0.1, 0.1}}, {frame(10), lost}},
        {{frame(20), found}, {frame(21), found}}};
    bridgeBriefLosses(tracks, frames(40));
    ASSERT_EQ(tracks[0].size(), 11u);
    EXPECT_EQ(tracks[0][2].timeStamp, frame(11));
    EXPECT_EQ(tracks[0].back().timeStamp, frame(19));
    EXPECT_NEAR(tracks[0][6].nominalRect.x, 0.25, 1e-12);  // frame 15, half way
    EXPECT_EQ(tracks[1].size(), 2u) << "the later track is left as it is";
}

TEST(LostFaceBridging, LongLossesFarFacesAndOtherSizesAreNotBridged) {
    const Rect box{0.2, 0.2, 0.1, 0.1};
    auto bridgedSamples = [](Rect laterBox, int laterFrame) {
        std::vector<std::vector<RegionSample>> tracks{{{frame(10), {0.2, 0.2, 0.1, 0.1}}},
                                                      {{frame(laterFrame), laterBox}}};
        bridgeBriefLosses(tracks, frames(60));
        return tracks[0].size() - 1;
    };
    EXPECT_EQ(bridgedSamples(box, 25), 14u) << "half a second";
    EXPECT_EQ(bridgedSamples(box, 26), 0u) << "longer";
    EXPECT_EQ(bridgedSamples({0.39, 0.29, 0.1, 0.1}, 20), 9u) << "under two face sizes away";
    EXPECT_EQ(bridgedSamples({0.41, 0.2, 0.1, 0.1}, 20), 0u) << "two face widths away";
    EXPECT_EQ(bridgedSamples({0.2, 0.41, 0.1, 0.1}, 20), 0u) << "two face heights away";
    EXPECT_EQ(bridgedSamples({0.2, 0.2, 0.21, 0.21}, 20), 0u) << "over twice the size";
    EXPECT_EQ(bridgedSamples(box, 10), 0u) << "at the same time";
    EXPECT_EQ(bridgedSamples(box, 5), 0u) << "before";
}
