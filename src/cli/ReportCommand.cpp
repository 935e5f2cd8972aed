// veilcut report OUT.mp4: prints the audit report written beside an anonymised movie (or the
// report named directly) for a reader.

#include <CLI/CLI.hpp>
#include <cstdio>
#include <nlohmann/json.hpp>

#include "cli/AuditReport.h"
#include "cli/Command.h"

namespace {

int printReport(const std::string& path) {
    std::string reportPath = isReportFileName(path) ? path : reportPathOf(path);
    std::string reason;
    auto report = readAuditReport(reportPath, reason);
    if (!report) return failWith(reason);
    std::string summary;
    try {
        summary = auditSummary(*report);
    } catch (const nlohmann::ordered_json::exception&) {
        return failWith(reportPath + ": a damaged report");
    }
    std::fputs(summary.c_str(), stdout);
    return 0;
}

}  // namespace

CommandRun defineReport(CLI::App& app) {
    auto path = std::make_shared<std::string>();
    app.add_option("OUT", *path, "the anonymised movie, or its .veilcut-report.json")
        ->type_name("OUT.mp4")
        ->required();
    return [path] { return printReport(*path); };
}
