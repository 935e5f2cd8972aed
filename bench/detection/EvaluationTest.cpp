// The evaluation's ground truth is only as good as two pieces of geometry: the marked boxes
// must land where the rendered frames put the faces, and the coverage read back from the
// composited regions must sit where the regions are drawn (regions use a lower-left origin,
// frames a top-left one). Both are checked on synthetic pictures.

#include <gtest/gtest.h>

#include "detection/Evaluation.h"

namespace evaluation {
namespace {

// A dark picture with one bright block where its only face is marked.
struct BlockPicture {
    Picture picture{"block", {{{120, 80, 60, 70}, true}}};
    cv::Mat bgr{300, 400, CV_8UC3, cv::Scalar(0, 0, 0)};
    BlockPicture() { bgr(cv::Rect(120, 80, 60, 70)).setTo(cv::Scalar::all(255)); }
};

cv::Rect brightArea(const cv::Mat& frame, int threshold) {
    cv::Mat grey, bright;
    cv::cvtColor(frame, grey, cv::COLOR_BGR2GRAY);
    cv::threshold(grey, bright, threshold, 255, cv::THRESH_BINARY);
    return cv::boundingRect(bright);
}

void expectNear(const cv::Rect& a, const cv::Rect& b, int tolerance) {
    EXPECT_NEAR(a.x, b.x, tolerance);
    EXPECT_NEAR(a.y, b.y, tolerance);
    EXPECT_NEAR(a.br().x, b.br().x, tolerance);
    EXPECT_NEAR(a.br().y, b.br().y, tolerance);
}

TEST(DetectionEvaluation, MarkedBoxesFollowTheFacesThroughEveryShot) {
    BlockPicture p;
    const int frames = 60;
    cv::RNG rng(1);
    for (Shot shot : {Shot::zoom, Shot::wide, Shot::dim}) {
        for (int i : {0, 17, frames - 1}) {
            SCOPED_TRACE(std::string(shotName(shot)) + " frame " + std::to_string(i));
            Placement at = placement(p.picture, p.bgr.size(), shot, i, frames);
            cv::Mat frame = renderFrame(p.bgr, shot, at, rng);
            ASSERT_EQ(frame.size(), cv::Size(FRAME_WIDTH, FRAME_HEIGHT));
            // Half the block's level, above the backdrop and the dim shot's noise.
            int threshold = shot == Shot::dim ? int(255 * DIM_GAIN / 2) : 128;
            cv::Rect expected = pixelsOf(at.map(p.picture.faces[0].box)) &
                                cv::Rect(0, 0, FRAME_WIDTH, FRAME_HEIGHT);
            expectNear(brightArea(frame, threshold), expected, 1);
        }
    }
}

TEST(DetectionEvaluation, AClipKeptBetweenRunsIsNotReusedOnceItsMarksMove) {
    BlockPicture p;
    for (Shot shot : SHOTS) {
        SCOPED_TRACE(shotName(shot));
        const std::string before = clipFingerprint(p.picture, p.bgr.size(), shot, 30);
        EXPECT_EQ(clipFingerprint(p.picture, p.bgr.size(), shot, 30), before);
        // Moved (the zoom heads elsewhere) and taller (the wide shot scales otherwise).
        Picture remarked = p.picture;
        remarked.faces[0].box += cv::Point2d(10, 0);
        remarked.faces[0].box.height += 10;
        EXPECT_NE(clipFingerprint(remarked, p.bgr.size(), shot, 30), before);
    }
}

TEST(DetectionEvaluation, ZoomPullsBackAndTheRotatedShotRunsItBackwards) {
    BlockPicture p;
    Placement first = placement(p.picture, p.bgr.size(), Shot::zoom, 0, 30);
    Placement last = placement(p.picture, p.bgr.size(), Shot::zoom, 29, 30);
    EXPECT_NEAR(last.sx / first.sx, ZOOM_FROM / ZOOM_TO, 1e-9);
    Placement back = placement(p.picture, p.bgr.size(), Shot::rotated, 0, 30);
    EXPECT_DOUBLE_EQ(back.sx, last.sx);
    EXPECT_DOUBLE_EQ(back.dx, last.dx);
    EXPECT_DOUBLE_EQ(back.dy, last.dy);
    // The wide shot makes the median face the size it promises.
    Placement wide = placement(p.picture, p.bgr.size(), Shot::wide, 0, 30);
    EXPECT_NEAR(p.picture.faces[0].box.height * wide.sy, WIDE_FACE_HEIGHT, 0.5);
}

TEST(DetectionEvaluation, CoverageLiesWhereTheRegionIsDrawn) {
    // A hard-edged circle over the rect from a quarter to a half of the width, and from a
    // half to three quarters of the height measured from the bottom: the frame's upper middle.
    RegionSample sample{MediaTime::zero(), Rect{0.25, 0.5, 0.25, 0.25}};
    TrackedRegion region({sample}, Image(), "", Cover::circle, false);
    region.style.type = StyleKind::normal;
    region.setSoftness(0);
    cv::Mat covered = coverage({region}, MediaTime::zero());
    cv::Rect expected(480, 270, 480, 270);
    expectNear(cv::boundingRect(covered), expected, 2);
    double share = double(cv::countNonZero(covered)) / expected.area();
    EXPECT_NEAR(share, CV_PI / 4, 0.02);  // an ellipse fills π/4 of its box

    EXPECT_EQ(cv::countNonZero(coverage({}, MediaTime::zero())), 0);
}

// Six frames of a wide shot of one 60-pixel face (32 pixels in the frame): a region follows it
// in frames 0, 2 and 5 and strays to a corner of the frame in frames 1, 3 and 4.
TEST(DetectionEvaluation, JudgingCountsHiddenFramesMissesAndCoverageAwayFromFaces) {
    Picture picture{"one face", {{{100, 100, 50, 60}, true}}};
    const cv::Size size(400, 300);
    const int frames = 6;
    std::vector<MediaTime> times;
    std::vector<RegionSample> samples;
    for (int i = 0; i < frames; ++i) {
        times.push_back(MediaTime(i, FRAME_RATE));
        cv::Rect2d box = placement(picture, size, Shot::wide, i, frames).map(picture.faces[0].box);
        Rect onFace{(box.x - box.width / 4) / FRAME_WIDTH,
                    (FRAME_HEIGHT - box.y - box.height * 1.25) / FRAME_HEIGHT,
                    box.width * 1.5 / FRAME_WIDTH, box.height * 1.5 / FRAME_HEIGHT};
        Rect corner{0.8, 0.05, 0.1, 0.1};
        samples.push_back({times.back(), i == 1 || i == 3 || i == 4 ? corner : onFace});
    }
    TrackedRegion region(samples, Image(), "", Cover::circle, false);
    region.style.type = StyleKind::normal;
    region.setSoftness(0);
    region.updateTimeRange(times.back(), 1.0 / FRAME_RATE);

    Clip clip{&picture, Shot::wide, size, frames, ""};
    SettingResult result;
    int shown = -1;
    judge(clip, times, {region}, result,
          [&](int index, const cv::Mat&, const std::vector<bool>& hidden) {
              shown = index;
              EXPECT_FALSE(hidden[0]);  // frame 3: the region is in the corner
          });
    EXPECT_EQ(shown, 3);
    EXPECT_EQ(result.frontal[1].frames, frames);  // 24-40 px
    EXPECT_EQ(result.frontal[1].hidden, 3);
    EXPECT_EQ(result.frontalGoal.hidden, 3);
    ASSERT_EQ(result.persons.size(), 1u);
    EXPECT_EQ(result.persons[0].longestMiss, 2);
    EXPECT_DOUBLE_EQ(result.persons[0].coverage(), 0.5);
    // Only the three corner circles lie away from the face: π/4 of a tenth by a tenth, each.
    EXPECT_EQ(result.frameCount, frames);
    EXPECT_NEAR(result.outsideShareSum, 3 * 0.01 * CV_PI / 4, 0.001);
}

}  // namespace
}  // namespace evaluation
