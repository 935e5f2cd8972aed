#include "regions/LayerStack.h"

#include <gtest/gtest.h>

#include <opencv2/core.hpp>

#include "platform/image/ImageOps.h"

TEST(LayerStack, LaysLayersInBatchesWithTheSamePixelsAsAllAtOnce) {
    // A 1 MiB bottom takes several batches of these 64 KiB layers; half-transparent layers
    // overlapping one another show any change of order or a layer laid twice.
    const Image bottom(cv::Mat(512, 512, CV_8UC4, cv::Scalar(10, 20, 30, 255)));
    std::vector<Image> layers;
    for (int i = 0; i < 300; ++i)
        layers.push_back(Image(cv::Mat(128, 128, CV_8UC4, cv::Scalar::all(uchar(i % 100))),
                               Rect{double(i % 384), double((7 * i) % 384), 128, 128}));
    std::vector<Rect> drawnOnce, drawnStacked;
    Image once = ImageOps::sourceOver(layers, bottom, &drawnOnce);
    LayerStack stack(bottom, &drawnStacked);
    for (const Image& layer : layers) stack.push(layer);
    // Layers laid are let go before the end: a frame holds a few frames' worth, not all.
    EXPECT_EQ(layers.front().pixels.u->refcount, 1);
    Image stacked = stack.result();
    EXPECT_EQ(stacked.extent, once.extent);
    EXPECT_EQ(cv::norm(stacked.pixels, once.pixels, cv::NORM_INF), 0);
    EXPECT_EQ(drawnStacked, drawnOnce);

    // Nothing pushed: the bottom itself.
    EXPECT_TRUE(LayerStack(bottom, nullptr).result().sharesPixelsWith(bottom));
}
