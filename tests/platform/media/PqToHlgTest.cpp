#include "platform/media/PqToHlg.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// The PQ signal of a light level in cd/m².
double pqSignal(double nits) {
    constexpr double m1 = 2610.0 / 16384, m2 = 2523.0 / 4096 * 128;
    constexpr double c1 = 3424.0 / 4096, c2 = 2413.0 / 4096 * 32, c3 = 2392.0 / 4096 * 32;
    double y = std::pow(nits / 10000, m1);
    return std::pow((c1 + c2 * y) / (1 + c3 * y), m2);
}

double hlgOfGrey(double nits) {
    uint16_t code = uint16_t(std::lround(pqSignal(nits) * 65535));
    cv::Mat px(1, 1, CV_16UC4, cv::Scalar(code, code, code, 65535));
    convertPqToHlg(px);
    auto v = px.at<cv::Vec<uint16_t, 4>>(0, 0);
    EXPECT_EQ(v[0], v[1]);
    EXPECT_EQ(v[3], 65535);  // alpha untouched
    return v[0] / 65535.0;
}

}  // namespace

TEST(PqToHlg, GreysLandOnTheBroadcastReferenceLevels) {
    EXPECT_NEAR(hlgOfGrey(0), 0.0, 1e-3);
    // Reference white: 203 cd/m² is 75 % HLG on a 1000 cd/m² display.
    EXPECT_NEAR(hlgOfGrey(203), 0.75, 0.01);
    EXPECT_NEAR(hlgOfGrey(1000), 1.0, 1e-3);
    EXPECT_NEAR(hlgOfGrey(4000), 1.0, 1e-3);  // above the HLG peak: clipped
}

TEST(PqToHlg, SaturatedColoursKeepTheirHue) {
    uint16_t red = uint16_t(std::lround(pqSignal(300) * 65535));
    cv::Mat px(1, 1, CV_16UC4, cv::Scalar(red, 0, 0, 65535));
    convertPqToHlg(px);
    auto v = px.at<cv::Vec<uint16_t, 4>>(0, 0);
    EXPECT_GT(v[0], 30000);
    EXPECT_EQ(v[1], 0);
    EXPECT_EQ(v[2], 0);
}
