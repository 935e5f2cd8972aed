#include "regions/LayerStack.h"

#include <algorithm>

#include "platform/image/ImageOps.h"

namespace {

// A batch holds up to this many frames' worth of layer pixels: the copy of the picture each
// batch costs stays small against laying the batch.
constexpr size_t FRAMES_PER_BATCH = 4;
constexpr size_t MIN_BATCH_BYTES = 1 << 20;

size_t bytesOf(const Image& image) {
    return image.pixels.total() * image.pixels.elemSize();
}

}  // namespace

LayerStack::LayerStack(Image bottom, std::vector<Rect>* drawn)
    : picture_(std::move(bottom)),
      drawn_(drawn),
      batchBytes_(std::max(FRAMES_PER_BATCH * bytesOf(picture_), MIN_BATCH_BYTES)) {}

void LayerStack::push(Image layer) {
    waitingBytes_ += bytesOf(layer);
    waiting_.push_back(std::move(layer));
    if (waitingBytes_ >= batchBytes_) lay();
}

void LayerStack::lay() {
    if (waiting_.empty()) return;
    picture_ = ImageOps::sourceOver(waiting_, picture_, drawn_);
    waiting_.clear();
    waitingBytes_ = 0;
}

Image LayerStack::result() {
    lay();
    return picture_;
}
