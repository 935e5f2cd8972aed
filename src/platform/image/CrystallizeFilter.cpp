#include "platform/image/CrystallizeFilter.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include <opencv2/core.hpp>

#include "platform/image/PixelDepth.h"

namespace {

// A well-mixed 32-bit hash of a grid cell and a salt, mapped to [0, 1).
float jitter(int i, int j, uint32_t salt) {
    uint32_t h = uint32_t(i) * 0x8da6b343u ^ uint32_t(j) * 0xd8163841u ^ salt * 0xcb1ab31fu;
    h ^= h >> 16;
    h *= 0x7feb352du;
    h ^= h >> 15;
    h *= 0x846ca68bu;
    h ^= h >> 16;
    return float(h >> 8) * (1.f / 16777216.f);
}

struct Seed {
    float x, y;  // pixel coordinates, pixel p's centre at p + 0.5
    int colour;  // offset of the seed's pixel in the frame
};

template <class T>
void crystallize(const cv::Mat& frame, const cv::Rect& area, float spacing, cv::Mat& out) {
    auto seedOf = [&](int i, int j) {
        const float x = (float(i) + jitter(i, j, 1)) * spacing;
        const float y = (float(j) + jitter(i, j, 2)) * spacing;
        const int px = std::clamp(int(std::floor(x)), 0, frame.cols - 1);
        const int py = std::clamp(int(std::floor(y)), 0, frame.rows - 1);
        return Seed{x, y, py * int(frame.step1()) + px * 4};
    };
    auto cellOf = [&](int p) { return int(std::floor((float(p) + 0.5f) / spacing)); };
    const int firstRow = cellOf(area.y), lastRow = cellOf(area.y + area.height - 1);
    const int firstCol = cellOf(area.x), lastCol = cellOf(area.x + area.width - 1);
    const T* pixels = frame.ptr<T>();
    // One grid row at a time: its pixels only ever look at the seeds of the 3 × 3 cells around.
    // The rows and columns one beyond cover pixels that rounding puts into a neighbouring cell.
    cv::parallel_for_(cv::Range(firstRow - 1, lastRow + 2), [&](const cv::Range& range) {
        for (int j = range.start; j < range.end; ++j) {
            const int y0 = std::max(area.y, int(std::ceil(j * spacing - 0.5f)));
            const int y1 = std::min(area.y + area.height, int(std::ceil((j + 1) * spacing - 0.5f)));
            for (int i = firstCol - 1; i <= lastCol + 1; ++i) {
                Seed seeds[9];
                for (int n = 0; n < 9; ++n) seeds[n] = seedOf(i + n % 3 - 1, j + n / 3 - 1);
                const int x0 = std::max(area.x, int(std::ceil(i * spacing - 0.5f)));
                const int x1 =
                    std::min(area.x + area.width, int(std::ceil((i + 1) * spacing - 0.5f)));
                for (int y = y0; y < y1; ++y) {
                    T* dst = out.ptr<T>(y - area.y);
                    const float cy = float(y) + 0.5f;
                    for (int x = x0; x < x1; ++x) {
                        const float cx = float(x) + 0.5f;
                        int best = 0;
                        float bestDistance = INFINITY;
                        for (int n = 0; n < 9; ++n) {
                            const float dx = seeds[n].x - cx, dy = seeds[n].y - cy;
                            const float d = dx * dx + dy * dy;
                            if (d < bestDistance) bestDistance = d, best = n;
                        }
                        std::copy_n(pixels + seeds[best].colour, 4, dst + (x - area.x) * 4);
                    }
                }
            }
        }
    });
}

}  // namespace

cv::Mat CrystallizeFilter::filterPixels(const cv::Mat& frame, const cv::Rect& area) const {
    if (!(radius_ >= 1)) return frame(area);
    cv::Mat out(area.size(), frame.type());
    dispatchDepth(frame.depth(),
                  [&]<class T>() { crystallize<T>(frame, area, float(radius_), out); });
    return out;
}
