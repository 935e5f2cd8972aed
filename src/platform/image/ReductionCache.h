#pragma once
// Whole-factor reductions of one picture, as `ImageOps::place` makes before it interpolates,
// made on first use and kept. A picture placed on every frame at about the same size (an emoji
// over a moving region) is then reduced once instead of once a frame.
//
// Threads: any thread. Reductions are made under a lock and never change after.

#include <map>
#include <mutex>
#include <utility>

#include "platform/image/Image.h"

class ReductionCache {
public:
    explicit ReductionCache(Image picture);

    const Image& picture() const { return picture_; }
    // The picture's pixels averaged over blocks of kx × ky (themselves when both are 1).
    cv::Mat reduced(int kx, int ky) const;

private:
    // Kept reductions; past this many all are dropped and made again as needed, so a region
    // whose size keeps changing cannot make the cache grow without end.
    static constexpr size_t MAX_KEPT = 6;

    const Image picture_;
    mutable std::mutex mutex_;
    mutable std::map<std::pair<int, int>, cv::Mat> kept_;
};

// The picture's pixels averaged over blocks of kx × ky (area averaging; sizes rounded).
cv::Mat reduceByWholeFactors(const cv::Mat& pixels, int kx, int ky);
