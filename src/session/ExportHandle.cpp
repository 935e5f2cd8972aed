#include "session/ExportHandle.h"

#include "platform/dispatch/MainQueue.h"
#include "platform/files/OutputFile.h"
#include "session/EditSession.h"

std::shared_ptr<ExportHandle> ExportHandle::start(EditSession& session,
                                                  const std::string& outputPath,
                                                  ExportOptions options) {
    auto handle = std::make_shared<ExportHandle>();
    handle->session_ = session.lifetime();
    handle->outputPath_ = outputPath;
    handle->options_ = std::move(options);
    auto source = session.source();
    std::string problem =
        source ? outputFileProblem(outputPath, session.filesInUse(), handle->options_.overwrite)
               : "no source video";
    if (!problem.empty()) {
        MainQueue::shared().post([handle, problem] {
            handle->finish({ExportOutcome::Status::failed, problem});
        });
        return handle;
    }
    session.exportVideo(
        [handle](double fraction) {
            handle->progress_ = fraction;
            if (handle->options_.progress) handle->options_.progress(fraction);
        },
        [handle](const ExportResult& result) {
            if (!result.file) return handle->finish({ExportOutcome::Status::failed, result.error});
            std::string problem =
                moveIntoPlace(result.file->url, handle->outputPath_, handle->options_.overwrite);
            if (!problem.empty()) return handle->finish({ExportOutcome::Status::failed, problem});
            handle->finish({ExportOutcome::Status::written, {}});
        },
        outputPath,
        // A cancelled export calls no completion: it is over once it has ended.
        [handle] {
            handle->finish({ExportOutcome::Status::cancelled, {}});
        });
    return handle;
}

void ExportHandle::cancel() {
    if (isFinished() || cancelled_) return;
    cancelled_ = true;
    if (auto session = session_.lock()) {
        (*session)->cancelExport = true;
        (*session)->exporter().cancel();
    }
}

void ExportHandle::finish(ExportOutcome outcome) {
    if (isFinished()) return;
    outcome_ = outcome;
    if (options_.completion) options_.completion(*outcome_);
}
