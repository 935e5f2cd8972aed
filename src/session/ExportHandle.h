#pragma once
// One export to a named file, as the front ends see it: its progress, a way to cancel it, and
// exactly one completion saying whether the movie was written, failed (with the reason) or
// was cancelled. The movie is written under a temporary name beside its destination and
// renamed into place only when complete, so a destination never holds half a movie.
//
// Threads: main thread. The callbacks are delivered on the main queue.

#include <functional>
#include <memory>
#include <optional>
#include <string>

class EditSession;

struct ExportOutcome {
    enum class Status { written, failed, cancelled };
    Status status = Status::failed;
    std::string error;  // the one-line reason, for `failed`
};

struct ExportOptions {
    bool overwrite = false;  // an existing destination is replaced only with this
    std::function<void(double fraction)> progress;
    std::function<void(const ExportOutcome&)> completion;
};

class ExportHandle {
public:
    // Stops the export; the completion then reports `cancelled` once the export has let go of
    // its files, of which none is left. Does nothing once the export has finished.
    void cancel();
    bool isFinished() const { return outcome_.has_value(); }
    const std::optional<ExportOutcome>& outcome() const { return outcome_; }
    double progress() const { return progress_; }

    // Starts exporting `session`'s source with every edit to `outputPath`. A destination that
    // breaks the rules of OutputFile finishes the handle at once (on the main queue) as
    // failed, having touched nothing.
    static std::shared_ptr<ExportHandle> start(EditSession& session, const std::string& outputPath,
                                               ExportOptions options);

private:
    void finish(ExportOutcome outcome);

    std::weak_ptr<EditSession*> session_;  // expires with the session
    std::string outputPath_;
    ExportOptions options_;
    double progress_ = 0;
    bool cancelled_ = false;
    std::optional<ExportOutcome> outcome_;
};
