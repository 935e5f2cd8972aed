#pragma once
// Person masks for the background stage: white where a person is, black elsewhere, at the
// frame's size, with an outline smoothed before it is cut hard.
//
// Threads: `personMask` may be called from any number of render threads at once (the preview
// compositor's threads and the export's filter thread). A segmenter owns a network and serves
// one thread at a time, so the segmentation keeps a small pool: a call takes an idle segmenter (or
// makes one), runs it without any lock held and puts it back. The pool grows to the number of
// threads that segment at the same time and lives as long as the segmentation.

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/image/Image.h"
#include "platform/vision/PersonSegmenter.h"

class PersonSegmentation {
public:
    // Makes one segmenter; null when none can be made (the reason is logged by the factory).
    // Called from the render threads.
    using SegmenterFactory = std::function<std::unique_ptr<PersonSegmenter>()>;

    // Segmenters from the selfie-segmentation model in the model cache.
    PersonSegmentation();
    explicit PersonSegmentation(SegmenterFactory factory);
    ~PersonSegmentation();
    PersonSegmentation(const PersonSegmentation&) = delete;
    PersonSegmentation& operator=(const PersonSegmentation&) = delete;

    // A hard single-channel mask (CV_8UC1, 0 or 255) with `image`'s extent. The segmenter sees
    // a reduced copy of the frame; its mask is stretched back to the frame, blurred with radius
    // 5 and thresholded at one half. Nothing when segmentation gives no mask. Any thread.
    std::optional<Image> personMask(const Image& image) const;

private:
    std::unique_ptr<PersonSegmenter> acquire() const;
    void release(std::unique_ptr<PersonSegmenter> segmenter) const;

    SegmenterFactory factory_;
    mutable std::atomic<bool> factoryFailed_{false};  // stop retrying a model that cannot load
    mutable std::mutex poolMutex_;
    mutable std::vector<std::unique_ptr<PersonSegmenter>> idle_;
};
