#pragma once
// The source video of an edit session, as the editors see it. Swapped whole when another video
// is opened; a SourceVideo lives on while someone (a scan, a tracking pass) still holds it.
// Any thread may read; the main thread sets.

#include <memory>

#include "core/SourceVideo.h"
#include "platform/dispatch/SnapshotSlot.h"

class CurrentSource {
public:
    std::shared_ptr<SourceVideo> get() const { return source_.load(); }
    void set(std::shared_ptr<SourceVideo> source) { source_.store(std::move(source)); }

private:
    SnapshotSlot<SourceVideo> source_;
};
