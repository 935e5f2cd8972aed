#include "background/PersonSegmentation.h"

#include <algorithm>
#include <cmath>

#include "platform/image/ImageOps.h"
#include "platform/image/MaskOps.h"
#include "platform/log/Log.h"
#include "platform/vision/ModelRegistry.h"
#include "platform/vision/SelfieSegmenter.h"

namespace {

// The segmenter's network sees 256×144 whatever it is given; reducing the frame to about that
// first keeps the colour conversion and resampling in front of it cheap.
constexpr double SEGMENTATION_MAX_SIDE = 256;
constexpr double MASK_SMOOTHING_RADIUS = 5;
constexpr double MASK_THRESHOLD = 0.5;

std::unique_ptr<PersonSegmenter> selfieSegmenter() {
    auto made = SelfieSegmenter::create(ModelRegistry::fromEnvironment());
    if (!made) {
        logDebug(made.error);
        return nullptr;
    }
    return std::move(*made.value);
}

// The frame scaled so that its longer side is at most SEGMENTATION_MAX_SIDE, on whole pixels.
std::optional<Image> reduced(const Image& frame) {
    const double f = SEGMENTATION_MAX_SIDE / std::max(frame.width(), frame.height());
    if (f >= 1) return frame;
    const double width = std::max(1.0, std::round(frame.width() * f));
    const double height = std::max(1.0, std::round(frame.height() * f));
    const Image origin(frame.pixels);  // placed from the origin so the result starts there too
    return ImageOps::place(origin,
                           AffineTransform::scale(width / frame.width(), height / frame.height()));
}

}  // namespace

PersonSegmentation::PersonSegmentation() : PersonSegmentation(selfieSegmenter) {}

PersonSegmentation::PersonSegmentation(SegmenterFactory factory) : factory_(std::move(factory)) {}

PersonSegmentation::~PersonSegmentation() = default;

std::unique_ptr<PersonSegmenter> PersonSegmentation::acquire() const {
    {
        std::lock_guard lock(poolMutex_);
        if (!idle_.empty()) {
            auto segmenter = std::move(idle_.back());
            idle_.pop_back();
            return segmenter;
        }
    }
    if (factoryFailed_) return nullptr;
    auto made = factory_ ? factory_() : nullptr;
    if (!made) factoryFailed_ = true;
    return made;
}

void PersonSegmentation::release(std::unique_ptr<PersonSegmenter> segmenter) const {
    std::lock_guard lock(poolMutex_);
    idle_.push_back(std::move(segmenter));
}

std::optional<Image> PersonSegmentation::personMask(const Image& image) const {
    std::optional<Image> mask;
    if (auto segmenter = acquire()) {
        if (auto input = reduced(image)) mask = segmenter->personMask(*input);
        release(std::move(segmenter));
    }
    if (!mask) logDebug("Error processing person segmentation request");
    if (!mask || mask->empty() || mask->pixels.type() != CV_8UC1) {
        logDebug("error");
        return std::nullopt;
    }
    // Blurring before stretching, with the radius scaled to the mask's grid on each axis, gives
    // the same smooth outline as blurring the stretched mask at a sixteenth of the cost.
    const double sx = mask->width() / image.extent.width;
    const double sy = mask->height() / image.extent.height;
    Image smooth = MaskOps::blurred(*mask, MASK_SMOOTHING_RADIUS * sx, MASK_SMOOTHING_RADIUS * sy);
    return MaskOps::thresholded(MaskOps::stretched(smooth, image.extent), MASK_THRESHOLD);
}
