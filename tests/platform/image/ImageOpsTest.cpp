#include <cmath>

#include <gtest/gtest.h>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include "platform/image/ImageOps.h"
#include "platform/image/PixelGrid.h"
#include "platform/image/ReductionCache.h"

namespace {

Image filled(int w, int h, cv::Scalar rgba, Rect extent) {
    return Image(cv::Mat(h, w, CV_8UC4, rgba), extent);
}

cv::Vec4b pixelAt(const Image& image, double x, double y) {  // plane coordinates
    const cv::Rect p = pixelRectOf(image.extent, {x, y, 1, 1});
    return image.pixels.at<cv::Vec4b>(p.y, p.x);
}

}  // namespace

TEST(PixelGrid, PlaneAreasMapToTopDownRowsAndBack) {
    const Rect extent{10, 20, 100, 50};  // rows run from y = 70 (row 0) down to y = 20
    const cv::Rect rows = pixelRectOf(extent, {15, 60, 4, 10});
    EXPECT_EQ(rows, cv::Rect(5, 0, 4, 10));
    EXPECT_EQ(planeRectOf(extent, rows), (Rect{15, 60, 4, 10}));
    EXPECT_EQ(pixelRectOf(extent, {10.5, 20.2, 1, 1}), cv::Rect(0, 48, 2, 2));  // widened outwards
}

TEST(ImageOps, CropSharesPixelsAndClampedCropRepeatsEdges) {
    cv::Mat px(4, 4, CV_8UC4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) px.at<cv::Vec4b>(y, x) = cv::Vec4b(x * 60, y * 60, 0, 255);
    const Image image(px);
    const Image part = ImageOps::crop(image, {1, 1, 10, 2});
    EXPECT_EQ(part.extent, (Rect{1, 1, 3, 2}));
    EXPECT_EQ(part.pixels.data, px.ptr(1, 1));

    const Image grown = ImageOps::clampedCrop(image, {-2, -1, 8, 6});
    EXPECT_EQ(grown.extent, (Rect{-2, -1, 8, 6}));
    EXPECT_EQ(pixelAt(grown, -2, -1), px.at<cv::Vec4b>(3, 0));  // lower-left repeats
    EXPECT_EQ(pixelAt(grown, 5, 4), px.at<cv::Vec4b>(0, 3));    // upper-right repeats
    EXPECT_EQ(pixelAt(grown, 2, 1), px.at<cv::Vec4b>(2, 2));

    // An area beside the picture repeats its nearest edge; a view never shows its neighbours.
    const Image beside = ImageOps::clampedCrop(part, {6, 1, 2, 2});
    EXPECT_EQ(pixelAt(beside, 7, 1), px.at<cv::Vec4b>(2, 3));
}

TEST(ImageOps, PlaceScalesThenTranslatesToWholePixels) {
    const Image mask = filled(300, 300, {255, 0, 0, 255}, {0, 0, 300, 300});
    const auto placed = ImageOps::place(
        mask, AffineTransform::scale(4.0 / 3, 1.0 / 3).then(AffineTransform::translation(0, 50)));
    ASSERT_TRUE(placed);
    EXPECT_EQ(placed->extent, (Rect{0, 50, 400, 100}));
    EXPECT_EQ(pixelAt(*placed, 0, 50), cv::Vec4b(255, 0, 0, 255));
    EXPECT_EQ(pixelAt(*placed, 399, 149), cv::Vec4b(255, 0, 0, 255));

    // A half-pixel offset widens the extent and shares the edge pixel's coverage.
    const auto shifted = ImageOps::place(mask, AffineTransform{0.1, 0, 0, 0.1, 0.5, 0});
    ASSERT_TRUE(shifted);
    EXPECT_EQ(shifted->extent, (Rect{0, 0, 31, 30}));
    EXPECT_NEAR(pixelAt(*shifted, 0, 5)[3], 128, 2);
    EXPECT_EQ(pixelAt(*shifted, 10, 5)[3], 255);

    EXPECT_FALSE(ImageOps::place(mask, AffineTransform{0, 1, 1, 0, 0, 0}));  // a rotation
    EXPECT_FALSE(ImageOps::place(Image(), AffineTransform::identity()));
}

// Inside the landing rect, a placed picture is its bilinear interpolation, as a general warp
// makes it (up to that warp's 1/32-pixel steps), for colour pictures and lone alpha alike.
TEST(ImageOps, PlacedPicturesAreInterpolatedBilinearly) {
    cv::Mat colour(60, 80, CV_8UC4);
    cv::randu(colour, 0, 256);
    cv::GaussianBlur(colour, colour, {}, 2);  // smooth, so the warp's steps stay small
    cv::Mat alpha;
    cv::extractChannel(colour, alpha, 3);
    const double sx = 2.37, sy = 0.71, tx = 3.3, ty = 1.6;
    for (const cv::Mat& pixels : {colour, alpha}) {
        const Image picture(pixels, {0, 0, 80, 60});
        const auto placed = ImageOps::place(
            picture, AffineTransform::scale(sx, sy).then(AffineTransform::translation(tx, ty)));
        ASSERT_TRUE(placed);
        // The plane's y axis points up; top-down rows map through the landed rect's top.
        const double top = placed->extent.maxY() - (ty + sy * 60);
        const double left = tx - placed->extent.x;
        cv::Mat warped;
        cv::warpAffine(pixels, warped,
                       cv::Matx23d(sx, 0, left + (sx - 1) / 2, 0, sy, top + (sy - 1) / 2),
                       placed->pixels.size(), cv::INTER_LINEAR, cv::BORDER_REPLICATE);
        const cv::Rect inner(2, 2, placed->pixels.cols - 4, placed->pixels.rows - 4);
        EXPECT_LE(cv::norm(placed->pixels(inner), warped(inner), cv::NORM_INF), 1);
    }
}

TEST(ImageOps, PlacingPartOfAPictureOrFromKeptReductionsDrawsTheSamePixels) {
    cv::Mat px(240, 320, CV_8UC4);
    cv::randu(px, 0, 256);
    const Image picture(px);
    const ReductionCache kept(picture);
    // Shrinks by 3.2 (reduced by 2 first), by 9 (reduced by 5 first) and an enlargement, each
    // landing on fractional pixels so the edge rows and columns are faded.
    for (double scale : {0.3125, 1.0 / 9, 1.7}) {
        const AffineTransform t{scale, 0, 0, scale * 0.8, 10.25, 20.5};
        const auto whole = ImageOps::place(picture, t);
        ASSERT_TRUE(whole);
        for (int pass = 0; pass < 2; ++pass) {  // the second pass reuses the kept reduction
            const auto cached = ImageOps::place(kept, t);
            ASSERT_TRUE(cached);
            EXPECT_EQ(cached->extent, whole->extent);
            EXPECT_EQ(cv::norm(cached->pixels, whole->pixels, cv::NORM_INF), 0) << scale;
        }
        // Only the part within a window: exactly that part of the whole placement.
        const Rect window{whole->extent.x + 3, whole->extent.y + 2,
                          std::floor(whole->extent.width / 2),
                          std::floor(whole->extent.height / 3)};
        const auto part = ImageOps::place(picture, t, window);
        ASSERT_TRUE(part);
        EXPECT_EQ(part->extent, window);
        EXPECT_EQ(
            cv::norm(part->pixels, whole->pixels(pixelRectOf(whole->extent, window)), cv::NORM_INF),
            0)
            << scale;
    }
    EXPECT_EQ(kept.reduced(2, 2).data, kept.reduced(2, 2).data);
    EXPECT_EQ(kept.reduced(1, 1).data, px.data);
    EXPECT_FALSE(ImageOps::place(picture, AffineTransform::identity(), Rect{400, 0, 10, 10}));
}

TEST(ImageOps, CompositingFollowsPremultipliedRules) {
    const Image bottom = filled(10, 10, {0, 0, 200, 255}, {0, 0, 10, 10});
    const Image top = filled(4, 4, {100, 0, 0, 128}, {2, 2, 4, 4});
    const Image over = ImageOps::sourceOver(top, bottom);
    EXPECT_EQ(over.extent, bottom.extent);
    EXPECT_EQ(pixelAt(over, 3, 3), cv::Vec4b(100, 0, 100, 255));
    EXPECT_EQ(pixelAt(over, 0, 0), cv::Vec4b(0, 0, 200, 255));
    EXPECT_EQ(bottom.pixels.at<cv::Vec4b>(5, 5), cv::Vec4b(0, 0, 200, 255));  // untouched

    const Image in = ImageOps::sourceIn(bottom, top);
    EXPECT_EQ(in.extent, top.extent);
    EXPECT_EQ(pixelAt(in, 3, 3), cv::Vec4b(0, 0, 100, 128));
    // A mask of alpha alone cuts the same.
    const Image alpha = ImageOps::alphaChannel(top);
    ASSERT_EQ(alpha.pixels.type(), CV_8UC1);
    EXPECT_EQ(cv::norm(ImageOps::sourceIn(bottom, alpha).pixels, in.pixels, cv::NORM_INF), 0);

    const Image white = filled(5, 10, {255, 255, 255, 255}, {0, 0, 5, 10});
    const Image cut = ImageOps::blendWithMask(bottom, white);
    EXPECT_EQ(pixelAt(cut, 1, 1), cv::Vec4b(0, 0, 200, 255));
    EXPECT_EQ(pixelAt(cut, 7, 1), cv::Vec4b(0, 0, 0, 0));
    const Image kept =
        ImageOps::blendWithMask(bottom, white, filled(10, 10, {9, 9, 9, 255}, bottom.extent));
    EXPECT_EQ(pixelAt(kept, 7, 1), cv::Vec4b(9, 9, 9, 255));
}

// Every channel value at both depths, including full scale, where an integer blend overflows
// first: the result is the exactly rounded premultiplied one.
TEST(ImageOps, BlendsRoundExactlyAtBothDepths) {
    for (int depth : {CV_8U, CV_16U}) {
        const double full = depth == CV_8U ? 255 : 65535;
        cv::Mat topPixels(64, 64, CV_MAKETYPE(depth, 4)), bottomPixels(64, 64, topPixels.type());
        cv::Mat alpha(64, 64, CV_MAKETYPE(depth, 1));
        cv::RNG rng(7);
        rng.fill(bottomPixels, cv::RNG::UNIFORM, 0, full + 1);
        rng.fill(alpha, cv::RNG::UNIFORM, 0, full + 1);
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x) {
                // Premultiplied: no colour above alpha; the corners are full and empty.
                const double a = (x == 0 && y == 0)   ? full
                                 : (x == 1 && y == 0) ? 0
                                                      : rng.uniform(0., full);
                for (int c = 0; c < 4; ++c) {
                    const double v = c == 3 ? a : std::floor(rng.uniform(0., a + 1));
                    if (depth == CV_8U)
                        topPixels.at<cv::Vec4b>(y, x)[c] = uchar(v);
                    else
                        topPixels.at<cv::Vec4w>(y, x)[c] = ushort(v);
                }
            }
        bottomPixels(cv::Rect(0, 0, 1, 1)).setTo(cv::Scalar::all(full));
        const Rect extent{0, 0, 64, 64};
        const Image top(topPixels, extent), bottom(bottomPixels, extent), mask(alpha, extent);
        cv::Mat t, b, m, over, in;
        topPixels.convertTo(t, CV_64F);
        bottomPixels.convertTo(b, CV_64F);
        alpha.convertTo(m, CV_64F);
        ImageOps::sourceOver(top, bottom).pixels.convertTo(over, CV_64F);
        ImageOps::sourceIn(bottom, mask).pixels.convertTo(in, CV_64F);
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x)
                for (int c = 0; c < 4; ++c) {
                    const double ta = t.at<cv::Vec4d>(y, x)[3], bv = b.at<cv::Vec4d>(y, x)[c];
                    const double wantOver =
                        std::round(t.at<cv::Vec4d>(y, x)[c] + bv * (1 - ta / full));
                    const double wantIn = std::round(bv * m.at<double>(y, x) / full);
                    ASSERT_EQ(over.at<cv::Vec4d>(y, x)[c], std::min(wantOver, full)) << depth;
                    ASSERT_EQ(in.at<cv::Vec4d>(y, x)[c], wantIn) << depth;
                }
    }
}

TEST(ImageOps, ColourMatrixAndThresholdWorkAtBothDepths) {
    ColorMatrix gain;
    gain.rows[0] = {2, 0, 0, 0};
    gain.rows[3] = {0, 0, 0, 0.5};
    const Image shallow = filled(2, 2, {100, 50, 10, 200}, {0, 0, 2, 2});
    EXPECT_EQ(ImageOps::colorMatrix(shallow, gain).pixels.at<cv::Vec4b>(0, 0),
              cv::Vec4b(200, 50, 10, 100));
    Image deep(cv::Mat(2, 2, CV_16UC4, cv::Scalar(40000, 100, 0, 65535)));
    EXPECT_EQ(ImageOps::colorMatrix(deep, gain).pixels.at<cv::Vec4w>(1, 1),
              cv::Vec4w(65535, 100, 0, 32768));

    const Image grey = filled(2, 1, {127, 128, 200, 255}, {0, 0, 2, 1});
    EXPECT_EQ(ImageOps::colorThreshold(grey, 0.5).pixels.at<cv::Vec4b>(0, 0),
              cv::Vec4b(0, 255, 255, 255));
}

TEST(ImageOps, WideGaussianStaysCloseToTheExactOne) {
    cv::Mat px(240, 320, CV_8UC4);
    cv::RNG(3).fill(px, cv::RNG::UNIFORM, 0, 256);
    cv::rectangle(px, {100, 80, 60, 60}, cv::Scalar::all(255), -1);
    px.forEach<cv::Vec4b>([](cv::Vec4b& p, const int*) { p[3] = 255; });
    for (double sigma : {2.0, 7.0, 12.0, 30.0}) {
        cv::Mat exact;
        const int side = 2 * int(std::ceil(4 * sigma)) + 1;
        cv::GaussianBlur(px, exact, {side, side}, sigma, sigma, cv::BORDER_REPLICATE);
        const Image fast = ImageOps::gaussianBlur(Image(px), sigma);
        EXPECT_EQ(fast.extent, (Rect{0, 0, 320, 240}));
        EXPECT_LE(cv::norm(fast.pixels, exact, cv::NORM_INF), 4) << sigma;  // worst, on noise
        EXPECT_LE(cv::norm(fast.pixels, exact, cv::NORM_L1) / exact.total() / 4, 0.5) << sigma;
    }
}
