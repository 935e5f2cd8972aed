#include "session/Exporter.h"

#include <filesystem>

#include "platform/dispatch/BackgroundQueue.h"
#include "platform/dispatch/MainQueue.h"
#include "platform/dispatch/Uuid.h"
#include "platform/files/OutputFile.h"
#include "platform/files/ScratchFolder.h"

Exporter::Exporter() : folder_(processScratchFolder()) {}

void Exporter::exportVideo(ExportSettings settings, FrameHandler handler, ExportProgress progress,
                           ExportCompletion completion, std::function<void()> ended) {
    // Beside its destination the file stays hidden (from file managers, from the library)
    // until it is complete and renamed into place.
    std::string path =
        settings.folder.empty()
            ? (std::filesystem::path(folder_) / (makeUuidString() + ".mp4")).string()
            : temporaryPathBeside((std::filesystem::path(settings.folder) / "export.mp4").string());
    auto job = std::make_shared<ExportJob>(std::move(settings), std::move(path), std::move(handler),
                                           std::move(progress), std::move(completion));
    {
        std::lock_guard lock(mutex_);
        current_ = job;
    }
    running_.fetch_add(1);
    BackgroundQueue::dispatch([this, job, ended = std::move(ended)]() mutable {
        job->run();
        job.reset();  // readers and writer closed before the export counts as ended
        running_.fetch_sub(1);
        if (ended) MainQueue::shared().post(std::move(ended));
    });
}

void Exporter::cancel() {
    std::shared_ptr<ExportJob> job;
    {
        std::lock_guard lock(mutex_);
        job = current_.lock();
        current_.reset();
    }
    if (job) job->cancel();
}
