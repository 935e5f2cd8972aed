#include "faces/FaceOverlayLayout.h"

#include <gtest/gtest.h>

#include <cmath>

#include "support/TrackedRegions.h"

namespace {

constexpr double FRAME = 1.0 / 30;

// A face seen from 5 s to 10 s at the rect (x, y, w, h), lower-left origin.
TrackedRegion faceAt(Rect rect, double scale = 1) {
    TrackedRegion r({{sec(5), rect}, {sec(10), rect}}, Image(), "😀", Cover::none, false);
    r.scale = scale;
    return r;
}

Rect only(const std::vector<std::optional<Rect>>& boxes) {
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(boxes.at(0));
    return boxes.at(0).value_or(Rect{});
}

}  // namespace

TEST(FaceOverlayLayout, ABoxSurroundsTheEnlargedFaceInTheLetterboxedPicture) {
    // A 16:9 video in a wider area: 888.9 x 500 pixels, 55.6 pixels of margin left and right.
    const PreviewPlacement placement{{1000, 500}, {1920, 1080}, 1, {}};
    const double pictureWidth = 500.0 * 1920 / 1080, margin = (1000 - pictureWidth) / 2;
    const Rect box = only(faceBoxes({faceAt({0.4, 0.4, 0.1, 0.2}, 2)}, sec(7), FRAME, placement));
    // Twice the sample's size about its centre: (0.35, 0.3, 0.2, 0.4), y counted from the top.
    EXPECT_NEAR(box.x, margin + 0.35 * pictureWidth - FACE_BOX_MARGIN, 1e-9);
    EXPECT_NEAR(box.y, 0.3 * 500 - FACE_BOX_MARGIN, 1e-9);
    EXPECT_NEAR(box.width, 0.2 * pictureWidth + 2 * FACE_BOX_MARGIN, 1e-9);
    EXPECT_NEAR(box.height, 0.4 * 500 + 2 * FACE_BOX_MARGIN, 1e-9);
}

TEST(FaceOverlayLayout, BoxesShowOnlyWithinTheSpanAndFollowZoomAndPan) {
    const std::vector<TrackedRegion> faces{faceAt({0.45, 0.45, 0.1, 0.1})};
    const PreviewPlacement fitted{{1000, 500}, {2000, 1000}, 1, {}};
    EXPECT_TRUE(faceBoxes(faces, sec(7), FRAME, fitted)[0]);
    EXPECT_FALSE(faceBoxes(faces, sec(12), FRAME, fitted)[0]);  // the span has ended
    EXPECT_FALSE(faceBoxes(faces, sec(4), FRAME, fitted)[0]);   // not begun
    EXPECT_TRUE(faceBoxes(faces, sec(7), FRAME, fitted)[0]);    // back inside

    // Zoomed twice about the centre and panned by (30, -20): the face, in the picture's middle,
    // is at the area's centre plus the pan, twice as large.
    const PreviewPlacement zoomed{{1000, 500}, {2000, 1000}, 2, {30, -20}};
    const Rect box = only(faceBoxes(faces, sec(7), FRAME, zoomed));
    EXPECT_NEAR(box.midX(), 530, 1e-9);
    EXPECT_NEAR(box.midY(), 230, 1e-9);
    EXPECT_NEAR(box.width, 0.1 * 2000 + 2 * FACE_BOX_MARGIN, 1e-9);

    // No box for a rect that cannot be drawn, nor before the video's size is known.
    EXPECT_FALSE(faceBoxes({faceAt({NAN, 0.4, 0.1, 0.1})}, sec(7), FRAME, fitted)[0]);
    EXPECT_FALSE(faceBoxes({faceAt({0.4, 0.4, 0.1, 0.1}, 0)}, sec(7), FRAME, fitted)[0]);
    EXPECT_FALSE(faceBoxes(faces, sec(7), FRAME, {{1000, 500}, {}, 1, {}})[0]);
}

TEST(FaceOverlayLayout, AClickPicksTheTopmostBoxUnderIt) {
    const std::vector<std::optional<Rect>> boxes{Rect{0, 0, 100, 100}, std::nullopt,
                                                 Rect{50, 50, 100, 100}};
    EXPECT_EQ(faceBoxAt(boxes, {75, 75}), 2);  // drawn last, over the first
    EXPECT_EQ(faceBoxAt(boxes, {10, 10}), 0);
    EXPECT_FALSE(faceBoxAt(boxes, {200, 10}));
}
