#include <gtest/gtest.h>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include "platform/image/ImageOps.h"
#include "platform/image/PixelGrid.h"
#include "platform/log/Log.h"
#include "regions/RegionMask.h"
#include "regions/ShapeMask.h"

namespace {

// The 300-pixel rectangle mask: opaque red in the central 150 × 150, hard edges.
Image squareMask() {
    cv::Mat px(300, 300, CV_8UC4, cv::Scalar::all(0));
    cv::rectangle(px, cv::Rect(75, 75, 150, 150), cv::Scalar(255, 0, 0, 255), cv::FILLED);
    return Image(px);
}

Image frameOf(int width, int height, int depth = CV_8U) {
    return Image(cv::Mat(height, width, CV_MAKETYPE(depth, 4),
                         cv::Scalar::all(depth == CV_8U ? 200 : 51400)));
}

// The rows and columns holding opaque pixels, in plane coordinates.
Rect opaqueArea(const Image& image) {
    cv::Mat alpha;
    cv::extractChannel(image.pixels, alpha, 3);
    const cv::Rect box = cv::boundingRect(alpha >= (image.pixels.depth() == CV_8U ? 128 : 32768));
    return {image.extent.x + box.x, image.extent.maxY() - box.y - box.height, double(box.width),
            double(box.height)};
}

}  // namespace

TEST(RegionMask, StretchPlacesTheMaskIntoTwiceTheRegionAndTheShapeCoversTheRegion) {
    const Image frame = frameOf(1000, 500);
    // A 0.2 × 0.1 region centred at (0.5, 0.5); rectangle masks go into twice its size.
    const Rect region{0.4, 0.45, 0.2, 0.1};
    const Rect doubled{region.x - region.width / 2, region.y - region.height / 2, 2 * region.width,
                       2 * region.height};
    const auto placed = placeMask(squareMask(), frame, doubled, PlacementMode::stretch);
    ASSERT_TRUE(placed);
    EXPECT_EQ(placed->extent, (Rect{300, 200, 400, 100}));
    EXPECT_EQ(opaqueArea(*placed), (Rect{400, 225, 200, 50}));
    // Fully opaque a pixel inside the edge, fully clear a pixel outside.
    auto alphaAt = [&](double x, double y) {
        return ImageOps::crop(*placed, {x, y, 1, 1}).pixels.at<cv::Vec4b>(0, 0)[3];
    };
    EXPECT_EQ(alphaAt(401, 226), 255);
    EXPECT_EQ(alphaAt(598, 273), 255);
    EXPECT_EQ(alphaAt(398, 250), 0);
    EXPECT_EQ(alphaAt(500, 276), 0);
}

TEST(RegionMask, TheVisibleRectHoldsEveryPixelThePlacedMaskTouches) {
    const Image frame = frameOf(1000, 500);
    for (double sigma : {0.0, 9.0, 30.0}) {  // hard, feathered, feathered to the canvas edge
        const auto mask = makeShapeMask(MASK_COLOR, MASK_CANVAS_SIDE, ELLIPSE_CORNER_RADIUS, sigma);
        ASSERT_TRUE(mask);
        // Enlarged, reduced a little, reduced by whole blocks before interpolation.
        for (const Rect& rect : {Rect{0.1, 0.2, 0.33, 0.41}, Rect{0.6, 0.05, 0.05, 0.07},
                                 Rect{0.31, 0.32, 0.021, 0.033}}) {
            const auto placed = placeMask(*mask, frame, rect, PlacementMode::stretch);
            ASSERT_TRUE(placed);
            cv::Mat alpha;
            cv::extractChannel(placed->pixels, alpha, 3);
            cv::Rect touched = cv::boundingRect(alpha > 0);
            touched += pixelRectOf(frame.extent, placed->extent).tl();

            const Rect visible = visibleMaskRect(visibleMaskPart(*mask), frame.extent, rect);
            const cv::Rect styled = pixelRectOf(
                frame.extent,
                {visible.x * 1000, visible.y * 500, visible.width * 1000, visible.height * 500});
            EXPECT_EQ(touched & styled, touched) << sigma << " " << rect.width;
            // And on a large region it saves most of the transparent border.
            if (sigma == 0 && rect.width > 0.3) {
                EXPECT_LT(styled.area(), 0.4 * pixelRectOf(frame.extent, placed->extent).area());
            }
        }
    }
}

TEST(RegionMask, FitCentresAWidePictureInATallRect) {
    const Image frame = frameOf(1000, 1000);
    const Image wide(cv::Mat(100, 400, CV_8UC4, cv::Scalar(0, 255, 0, 255)));
    const auto placed = placeMask(wide, frame, {0.1, 0.2, 0.2, 0.6}, PlacementMode::fit);
    ASSERT_TRUE(placed);
    // Width factor 0.5 wins: 200 × 50, centred on (200, 500).
    EXPECT_EQ(placed->extent, (Rect{100, 475, 200, 50}));
    EXPECT_EQ(opaqueArea(*placed), placed->extent);
}

TEST(RegionMask, NothingToPlaceWithoutAreaOrPictures) {
    const Image frame = frameOf(100, 100);
    EXPECT_FALSE(placeMask(squareMask(), frame, {0.5, 0.5, 0, 0.2}, PlacementMode::stretch));
    EXPECT_FALSE(placeMask(Image(), frame, {0, 0, 1, 1}, PlacementMode::fit));
    EXPECT_FALSE(placeMask(squareMask(), Image(), {0, 0, 1, 1}, PlacementMode::fit));
}

TEST(RegionMask, ClipKeepsTheStyledFrameOnlyUnderTheMask) {
    for (int depth : {CV_8U, CV_16U}) {  // HDR frames are cut by 8-bit masks
        const Image styled = frameOf(1000, 500, depth);
        const auto placed =
            placeMask(squareMask(), styled, {0.3, 0.4, 0.4, 0.2}, PlacementMode::stretch);
        ASSERT_TRUE(placed);
        const auto cut = clipToMask(*placed, styled);
        ASSERT_TRUE(cut);
        EXPECT_EQ(cut->pixels.depth(), depth);
        EXPECT_EQ(cut->extent, placed->extent);
        EXPECT_EQ(opaqueArea(*cut), (Rect{400, 225, 200, 50}));
        const cv::Mat centre = ImageOps::crop(*cut, {500, 250, 1, 1}).pixels;
        const cv::Mat source = ImageOps::crop(styled, {500, 250, 1, 1}).pixels;
        EXPECT_EQ(cv::norm(centre, source, cv::NORM_INF), 0);
        const cv::Mat outside = ImageOps::crop(*cut, {350, 250, 1, 1}).pixels;
        EXPECT_EQ(cv::countNonZero(outside.reshape(1)), 0);
    }
    // The failure's fixed log line is a debug line.
    testing::internal::CaptureStderr();
    EXPECT_FALSE(clipToMask(Image(), frameOf(10, 10)));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    showDebugLog();
    testing::internal::CaptureStderr();
    EXPECT_FALSE(clipToMask(Image(), frameOf(10, 10)));
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Không thể tạo bộ lọc CISourceInCompositing.\n");
    showDebugLog(false);
}
