#pragma once
// Networks built once per program rather than once per detector: reading, checking and
// translating a model takes up to a tenth of a second (the pose detector), which every scan
// would otherwise pay again. A network is lent to one holder at a time and goes back to the
// pool when the holder drops it, so the pool holds no more networks of a model than were ever
// in use at once.
//
// Threads: any thread may borrow and drop; a borrowed network is its holder's alone.

#include <memory>
#include <string>

#include "platform/vision/TfliteNetBuilder.h"

struct ReturnTfliteNetToPool {
    std::string directory;
    VisionModel model{};
    void operator()(TfliteNet* net) const;
};
using PooledTfliteNet = std::unique_ptr<TfliteNet, ReturnTfliteNetToPool>;

// An idle network of `model` from `models`' folder, or a new one built as loadTfliteNet does.
Loaded<PooledTfliteNet> borrowTfliteNet(const ModelRegistry& models, VisionModel model);
