#include "cli/ExportToFile.h"

#include <unistd.h>

#include <atomic>
#include <csignal>
#include <filesystem>

#include "cli/Command.h"
#include "cli/ProgressReport.h"
#include "session/EditSession.h"
#include "platform/dispatch/MainQueue.h"
#include "session/Exporter.h"

namespace {

namespace fs = std::filesystem;

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

bool sameFile(const fs::path& a, const fs::path& b) {
    std::error_code ec;
    if (fs::exists(a, ec) && fs::exists(b, ec)) return fs::equivalent(a, b, ec);
    return fs::weakly_canonical(a, ec) == fs::weakly_canonical(b, ec);
}

}  // namespace

std::string exportTargetProblem(const ExportTarget& target) {
    fs::path out(target.outputPath);
    std::error_code ec;
    if (target.outputPath.empty()) return "an output file is needed (-o OUT.mp4)";
    if (sameFile(out, target.sourcePath)) return target.outputPath + ": is the source video";
    if (fs::exists(out, ec)) {
        if (fs::is_directory(out, ec)) return target.outputPath + ": is a folder";
        if (!target.overwrite)
            return target.outputPath + ": exists (use --overwrite to replace it)";
    }
    fs::path folder = out.parent_path().empty() ? fs::path(".") : out.parent_path();
    if (!fs::is_directory(folder, ec)) return folder.string() + ": no such folder";
    if (::access(folder.c_str(), W_OK) != 0) return folder.string() + ": cannot be written";
    return {};
}

int exportToFile(EditSession& edit, const ExportTarget& target) {
    if (auto problem = exportTargetProblem(target); !problem.empty()) return failWith(problem);
    fs::path out(target.outputPath);
    fs::path folder = out.parent_path().empty() ? fs::path(".") : out.parent_path();

    InterruptGuard guard;
    ProgressReport progress("exporting");
    std::optional<ExportResult> result;
    edit.exportVideo([&](double f) { progress.update(f); },
                     [&](const ExportResult& r) { result = r; }, folder.string());

    bool cancelling = false;
    auto& main = MainQueue::shared();
    main.runUntil(
        [&] {
            if (interrupted && !cancelling) {
                cancelling = true;
                edit.cancelExport = true;
                edit.exporter().cancel();
            }
            // A cancelled export calls nothing: it is over once the engine has cleaned up.
            return result.has_value() || (cancelling && !edit.isExporting());
        },
        std::chrono::hours(24 * 365));
    if (result && result->file) progress.update(1);
    progress.finish();

    if (!result) {
        std::fprintf(stderr, "veilcut: cancelled; nothing was written\n");
        return 130;
    }
    if (!result->file) return failWith(result->error, EXIT_WORK_FAILED);
    std::error_code ec;
    fs::rename(result->file->url, out, ec);
    if (ec) {
        fs::remove(result->file->url, ec);
        return failWith(target.outputPath + ": cannot be written", EXIT_WORK_FAILED);
    }
    return 0;
}
