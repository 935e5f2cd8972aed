#include "app/QtImage.h"

#include "platform/image/Image.h"

QImage toQImage(const Image& picture) {
    const cv::Mat& pixels = picture.pixels;
    if (pixels.empty() || pixels.type() != CV_8UC4) return {};
    return QImage(pixels.data, pixels.cols, pixels.rows, int(pixels.step),
                  QImage::Format_RGBA8888_Premultiplied)
        .copy();
}
