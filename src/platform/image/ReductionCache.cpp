#include "platform/image/ReductionCache.h"

#include <opencv2/imgproc.hpp>

cv::Mat reduceByWholeFactors(const cv::Mat& pixels, int kx, int ky) {
    if (kx <= 1 && ky <= 1) return pixels;
    cv::Mat out;
    cv::resize(pixels, out,
               {std::max(1, int(std::lround(double(pixels.cols) / kx))),
                std::max(1, int(std::lround(double(pixels.rows) / ky)))},
               0, 0, cv::INTER_AREA);
    return out;
}

ReductionCache::ReductionCache(Image picture) : picture_(std::move(picture)) {}

cv::Mat ReductionCache::reduced(int kx, int ky) const {
    if (kx <= 1 && ky <= 1) return picture_.pixels;
    std::lock_guard lock(mutex_);
    auto found = kept_.find({kx, ky});
    if (found != kept_.end()) return found->second;
    if (kept_.size() >= MAX_KEPT) kept_.clear();
    cv::Mat made = reduceByWholeFactors(picture_.pixels, kx, ky);
    kept_.emplace(std::make_pair(kx, ky), made);
    return made;
}
