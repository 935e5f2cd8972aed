#include "platform/media/AreaToYuv.h"

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

namespace {

// BT.709 rows scaled to limited range (219 steps of luma, 224 of chroma, over 255), applied to
// (r, g, b, a) plus an offset; alpha is ignored (frames are opaque).
constexpr double KR = 0.2126, KB = 0.0722, KG = 1 - KR - KB;
constexpr double LUMA = 219.0 / 255, CHROMA = 224.0 / 255;
const cv::Matx<float, 1, 5> TO_Y(KR* LUMA, KG* LUMA, KB* LUMA, 0, 16);
const cv::Matx<float, 2, 5> TO_UV(-KR / (2 * (1 - KB)) * CHROMA, -KG / (2 * (1 - KB)) * CHROMA,
                                  0.5 * CHROMA, 0, 128,  //
                                  0.5 * CHROMA, -KG / (2 * (1 - KR)) * CHROMA,
                                  -KB / (2 * (1 - KR)) * CHROMA, 0, 128);

}  // namespace

void rgbaAreaToYuv420(const cv::Mat& rgba, const cv::Rect& area, const YuvPlanes& planes) {
    CV_Assert(rgba.type() == CV_8UC4);
    // Even edges: round the start down and the end up.
    const int x0 = std::max(0, area.x & ~1), y0 = std::max(0, area.y & ~1);
    const int x1 = std::min(rgba.cols & ~1, (area.x + area.width + 1) & ~1);
    const int y1 = std::min(rgba.rows & ~1, (area.y + area.height + 1) & ~1);
    if (x1 <= x0 || y1 <= y0) return;
    const cv::Mat part = rgba(cv::Rect(x0, y0, x1 - x0, y1 - y0));
    // OpenCV's vectorised transforms write straight into the planes.
    cv::Mat luma(part.rows, part.cols, CV_8U, planes.y + ptrdiff_t(y0) * planes.yStride + x0,
                 size_t(planes.yStride));
    cv::transform(part, luma, TO_Y);
    cv::Mat blocks, chroma;
    cv::resize(part, blocks, {part.cols / 2, part.rows / 2}, 0, 0, cv::INTER_AREA);
    cv::transform(blocks, chroma, TO_UV);
    const int cx = x0 / 2, cy = y0 / 2;
    cv::Mat u(blocks.rows, blocks.cols, CV_8U, planes.u + ptrdiff_t(cy) * planes.uStride + cx,
              size_t(planes.uStride));
    cv::Mat v(blocks.rows, blocks.cols, CV_8U, planes.v + ptrdiff_t(cy) * planes.vStride + cx,
              size_t(planes.vStride));
    cv::Mat out[] = {u, v};
    cv::split(chroma, out);
}
