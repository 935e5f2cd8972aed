#include "app/QtImage.h"

#include "platform/image/Image.h"

QImage toQImage(const Image& picture) {
    const cv::Mat& pixels = picture.pixels;
    if (pixels.empty() || (pixels.type() != CV_8UC4 && pixels.type() != CV_16UC4)) return {};
    const QImage::Format format = picture.isDeep() ? QImage::Format_RGBA64_Premultiplied
                                                   : QImage::Format_RGBA8888_Premultiplied;
    return QImage(pixels.data, pixels.cols, pixels.rows, int(pixels.step), format).copy();
}
