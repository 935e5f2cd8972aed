// veilcut anonymize IN... -o OUT [--type circle|rectangle|emoji] [--style NAME] [--intensity X]
// [--softness X] [--scale X] [--emoji E] [--background STYLE] [--small-faces] [--save-project P]
// [--report] [--report-csv] [--recursive] [--jobs N] [--overwrite]: finds every person's face
// and writes a copy of the video with all of them hidden (and, with --background, everything
// but the people styled too). One file to a file name is one run in this process; several
// files, or folders, to an output folder are a batch of such runs (BatchPlan, BatchRun).

#include <cstdio>
#include <nlohmann/json.hpp>

#include "cli/AnonymizeOptions.h"
#include "cli/AuditReport.h"
#include "cli/BatchPlan.h"
#include "cli/BatchRun.h"
#include "cli/Command.h"
#include "cli/ExportToFile.h"
#include "cli/FaceScanSession.h"
#include "cli/Options.h"
#include "cli/OutputOptions.h"
#include "faces/FaceEditor.h"
#include "platform/vision/Sha256.h"
#include "session/EditSession.h"
#include "session/InputFile.h"

namespace {

constexpr int MAX_JOBS = 64;

struct AnonymizeRequest {
    std::vector<std::string> inputs;
    ExportTarget target;
    std::string project;
    AnonymizeOptions options;
    bool report = false;
    bool reportTable = false;
    bool recursive = false;
    int jobs = 1;
};

// Where the report and its table go, checked with the movie's rules before any work.
std::optional<std::string> reportProblem(const AnonymizeRequest& request,
                                         std::vector<FileInUse> mustAvoid) {
    const std::string& movie = request.target.outputPath;
    mustAvoid.push_back({movie, "the movie being written"});
    if (auto problem = outputProblem(reportPathOf(movie), mustAvoid, request.target.overwrite))
        return problem;
    if (!request.reportTable) return std::nullopt;
    return outputProblem(reportTablePathOf(movie), mustAvoid, request.target.overwrite);
}

int anonymizeFile(const AnonymizeRequest& request) {
    const std::string& input = request.inputs.front();
    const std::string& movie = request.target.outputPath;
    const bool report = request.report || request.reportTable;
    if (auto reason = unreadableFileReason(input)) return failWith(*reason);
    EditSession session;
    if (auto problem = openVideo(session, input)) return failWith(*problem);
    // A destination or a source the export will refuse is refused before the scan.
    if (auto problem = exportProblem(session, request.target)) return failWith(*problem);
    std::vector<FileInUse> projectMustAvoid = session.filesInUse();
    projectMustAvoid.push_back({movie, "the movie being written"});
    if (auto problem = outputProblem(request.project, projectMustAvoid, request.target.overwrite))
        return failWith(*problem);
    std::string sourceSha256;
    if (report) {
        if (auto problem = reportProblem(request, session.filesInUse())) return failWith(*problem);
        // Hashed before the work, so the report names the bytes that were read.
        auto digest = sha256HexOfFile(input);
        if (!digest) return failWith(input + ": cannot be read");
        sourceSha256 = *digest;
    }
    if (auto failure = scanFaces(session, request.options.reach))
        return failWith(*failure, EXIT_WORK_FAILED);
    applyAnonymizeOptions(session, request.options);
    const size_t persons = session.faceEditor().regions().size();
    std::fprintf(stderr, "Hiding %zu %s\n", persons, persons == 1 ? "person" : "persons");
    if (!request.project.empty()) {
        if (auto problem = session.saveProject(request.project, request.target.overwrite))
            return failWith(*problem, EXIT_WORK_FAILED);
    }
    int status = exportToFile(session, request.target);
    if (status != 0 || !report) return status;
    auto movieSha256 = sha256HexOfFile(movie);
    if (!movieSha256) return failWith(movie + ": cannot be read back", EXIT_WORK_FAILED);
    auto record = auditReport(session, request.options, sourceSha256, movie, *movieSha256);
    if (auto problem =
            writeAuditReport(record, movie, request.reportTable, request.target.overwrite))
        return failWith(*problem, EXIT_WORK_FAILED);
    return 0;
}

int anonymizeBatch(const AnonymizeRequest& request) {
    if (!request.project.empty())
        return failWith("--save-project takes one input file and a movie file name");
    BatchRequest batch{.inputs = request.inputs,
                       .outputFolder = request.target.outputPath,
                       .options = request.options,
                       .recursive = request.recursive,
                       .overwrite = request.target.overwrite,
                       .reportTable = request.reportTable,
                       .jobs = request.jobs};
    std::string problem;
    auto plan = planBatch(batch, problem);
    if (!plan) return failWith(problem);
    return runBatch(batch, *plan);
}

std::optional<std::string> parseJobs(const std::string& text, int& jobs) {
    auto value = finiteNumber(text);
    if (!value || *value < 1 || *value > MAX_JOBS || *value != int(*value))
        return "--jobs must be a whole number from 1 to " + std::to_string(MAX_JOBS) + ", not '" +
               text + "'";
    jobs = int(*value);
    return std::nullopt;
}

}  // namespace

CommandRun defineAnonymize(CLI::App& app) {
    auto request = std::make_shared<AnonymizeRequest>();
    app.add_option("IN", request->inputs, "the video, or several videos and folders of them")
        ->type_name("IN...")
        ->required();
    app.add_option("-o,--output", request->target.outputPath,
                   "the movie to write; for several inputs, a folder, or ending in /, the "
                   "folder to write them to")
        ->type_name("OUT")
        ->required();
    addOverwrite(app, request->target.overwrite);
    addAnonymizeOptions(app, request->options);
    app.add_option("--save-project", request->project, "write the edits as a project too")
        ->type_name("P");
    app.add_flag("--report", request->report,
                 "write the audit report beside the movie (always done for a folder)");
    app.add_flag("--report-csv", request->reportTable,
                 "write the report's table beside it too (NAME.veilcut-report.csv)");
    app.add_flag("--recursive", request->recursive, "take the files in subfolders too");
    addParsed<int>(app, "--jobs", request->jobs, "N", "work on N files at once (1)", parseJobs);
    return [request] {
        if (isBatch(request->inputs, request->target.outputPath)) return anonymizeBatch(*request);
        return anonymizeFile(*request);
    };
}
