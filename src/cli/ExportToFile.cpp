#include "cli/ExportToFile.h"

#include <CLI/CLI.hpp>
#include <atomic>
#include <cmath>
#include <csignal>

#include "cli/Command.h"
#include "cli/ProgressReport.h"
#include "core/SourceVideo.h"
#include "platform/dispatch/MainQueue.h"
#include "session/EditSession.h"
#include "session/ExportTarget.h"

namespace {

std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the signal handler needs a lock-free flag");

extern "C" void onInterrupt(int) {
    interrupted.store(true);
}

// Installs the Ctrl-C and termination handlers for the life of the export.
class InterruptGuard {
public:
    InterruptGuard() {
        interrupted = false;
        previousInt_ = std::signal(SIGINT, onInterrupt);
        previousTerm_ = std::signal(SIGTERM, onInterrupt);
    }
    ~InterruptGuard() {
        std::signal(SIGINT, previousInt_);
        std::signal(SIGTERM, previousTerm_);
    }

private:
    void (*previousInt_)(int);
    void (*previousTerm_)(int);
};

}  // namespace

std::optional<std::string> exportProblem(EditSession& session, const ExportTarget& target) {
    const SourceVideo& source = *session.source();
    std::string problem = exportTargetProblem(target.outputPath, source.path(), target.overwrite);
    if (!problem.empty()) return problem;
    // The encoder takes even sizes, so the export rounds the picture down to them: a side of
    // one pixel would leave nothing to write, and the export would fail only once started.
    auto size = source.size();
    if (size && (size->width < 2 || size->height < 2))
        return source.path() + ": a picture of " + std::to_string(std::lround(size->width)) +
               " x " + std::to_string(std::lround(size->height)) +
               " pixels is too small to export (2 x 2 at least)";
    return std::nullopt;
}

int exportToFile(EditSession& session, const ExportTarget& target) {
    if (auto problem = exportProblem(session, target)) return failWith(*problem);
    InterruptGuard guard;
    ProgressReport progress("exporting");
    ExportOptions options;
    options.overwrite = target.overwrite;
    options.progress = [&](double f) { progress.update(f); };
    auto handle = session.exportTo(target.outputPath, std::move(options));
    MainQueue::shared().runUntil(
        [&] {
            if (interrupted) handle->cancel();
            return handle->isFinished();
        },
        std::chrono::hours(24 * 365));
    const ExportOutcome& outcome = *handle->outcome();
    if (outcome.status == ExportOutcome::Status::written) progress.update(1);
    progress.finish();
    if (outcome.status == ExportOutcome::Status::cancelled) {
        std::fprintf(stderr, "veilcut: cancelled; nothing was written\n");
        return 130;
    }
    if (outcome.status == ExportOutcome::Status::failed)
        return failWith(outcome.error, EXIT_WORK_FAILED);
    return 0;
}

void addExportTarget(CLI::App& app, ExportTarget& target, const std::string& valueName) {
    app.add_option("-o,--output", target.outputPath, "the movie file to write")
        ->type_name(valueName)
        ->required();
    app.add_flag("--overwrite", target.overwrite, "replace the file if it exists");
}
