#include "cli/ExportToFile.h"

#include <CLI/CLI.hpp>
#include <cmath>
#include <csignal>

#include "cli/Command.h"
#include "cli/InterruptGuard.h"
#include "cli/OutputOptions.h"
#include "cli/ProgressReport.h"
#include "core/SourceVideo.h"
#include "platform/dispatch/MainQueue.h"
#include "platform/files/OutputFile.h"
#include "session/EditSession.h"

std::optional<std::string> exportProblem(EditSession& session, const ExportTarget& target) {
    const SourceVideo& source = *session.source();
    std::string problem =
        outputFileProblem(target.outputPath, session.filesInUse(), target.overwrite);
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
    // Cancelled by a signal rather than killed, the export removes its temporary file.
    InterruptGuard guard;
    ProgressReport progress("exporting");
    ExportOptions options;
    options.overwrite = target.overwrite;
    options.progress = [&](double f) { progress.update(f); };
    auto handle = session.exportTo(target.outputPath, std::move(options));
    MainQueue::shared().runUntil(
        [&] {
            if (InterruptGuard::signal()) handle->cancel();
            return handle->isFinished();
        },
        std::chrono::hours(24 * 365));
    const ExportOutcome& outcome = *handle->outcome();
    if (outcome.status == ExportOutcome::Status::written) progress.update(1);
    progress.finish();
    if (outcome.status == ExportOutcome::Status::cancelled) {
        std::fprintf(stderr, "veilcut: cancelled; nothing was written\n");
        // The shell's status for a process ended by that signal (130 for Ctrl-C).
        return 128 + (InterruptGuard::signal() ? InterruptGuard::signal() : SIGINT);
    }
    if (outcome.status == ExportOutcome::Status::failed)
        return failWith(outcome.error, EXIT_WORK_FAILED);
    return 0;
}

void addExportTarget(CLI::App& app, ExportTarget& target, const std::string& valueName) {
    app.add_option("-o,--output", target.outputPath, "the movie file to write")
        ->type_name(valueName)
        ->required();
    addOverwrite(app, target.overwrite);
}
