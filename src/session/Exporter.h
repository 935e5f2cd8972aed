#pragma once
// The export engine: writes the edited video to a new MP4 named by a fresh upper-case UUID in
// the process's scratch folder (see ScratchFolder), or hidden (a leading dot) in a folder the
// caller names. H.264 with
// BT.709 for ordinary sources, HEVC Main 10 with BT.2020 and HLG for HDR ones, at the source's data
// rate times a factor; the first audio track as mono AAC.
//
// `completion` receives the file, or the reason the export failed; a cancelled export deletes
// its file and calls nothing. Progress (the fraction of the video written) and completion are
// delivered on the main queue.
//
// Threads: any thread may call; the work runs on the background queue. Each export replaces
// the one `cancel` reaches. The owner (the edit session) waits for `isExporting` to turn false
// before destroying it.

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "render/ExportJob.h"

class Exporter {
public:
    const std::string& folder() const { return folder_; }

    // Starts an export and returns at once; from then on `cancel` reaches it. `ended` is posted
    // to the main queue once the export has ended and cleaned up, after `completion` (if any).
    void exportVideo(ExportSettings settings, FrameHandler handler, ExportProgress progress,
                     ExportCompletion completion, std::function<void()> ended = {});
    // Stops the export in progress; its file is deleted.
    void cancel();
    // True from `exportVideo` until its export has ended and cleaned up.
    bool isExporting() const { return running_.load() > 0; }

    Exporter();

private:
    const std::string folder_;
    std::mutex mutex_;
    std::weak_ptr<ExportJob> current_;
    std::atomic<int> running_{0};
};
