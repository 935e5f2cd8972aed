#pragma once
// Region layers laid over a picture in drawing order as they are made. Layers wait to be laid
// in batches (one copy of the picture per batch), and a batch is laid as soon as its pixels
// reach a few frames' worth: a frame's memory stays bounded however many regions it draws.
//
// One frame on one thread; the layers are only read.

#include <cstddef>
#include <vector>

#include "platform/image/Image.h"

class LayerStack {
public:
    // Layers go over `bottom`; the extent of each layer laid is appended to `drawn` when given.
    LayerStack(Image bottom, std::vector<Rect>* drawn);

    void push(Image layer);
    // `bottom` with every pushed layer over it, the last on top (`bottom` itself when none).
    Image result();

private:
    void lay();

    Image picture_;
    std::vector<Rect>* drawn_;
    std::vector<Image> waiting_;
    size_t waitingBytes_ = 0;
    size_t batchBytes_;
};
