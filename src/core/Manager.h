#pragma once
// The current source video. `asset` is swapped whole when a new video is picked; the old
// SourceVideo lives on while someone still holds it. Any thread may read; the main thread sets.

#include "platform/dispatch/SnapshotSlot.h"
#include <atomic>
#include <memory>

#include "core/SourceVideo.h"

class Manager {
public:
    static Manager& shared();

    std::shared_ptr<SourceVideo> asset() const { return asset_.load(); }
    void setAsset(std::shared_ptr<SourceVideo> asset) { asset_.store(std::move(asset)); }

private:
    SnapshotSlot<SourceVideo> asset_;
};
