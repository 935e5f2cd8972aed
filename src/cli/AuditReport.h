#pragma once
// The audit report written beside an anonymised movie (NAME.veilcut-report.json, and with
// --report-csv a table, NAME.veilcut-report.csv): which file became which, by path and SHA-256,
// the tool's version, the models that were loaded, the options, what the scan looked at and
// every region hidden with its boxes. docs/audit-report.md describes the format. A batch reads
// it back to tell a finished output from one to redo.

#include <nlohmann/json_fwd.hpp>
#include <optional>
#include <string>

struct AnonymizeOptions;
class EditSession;

// NAME.veilcut-report.json and NAME.veilcut-report.csv beside the movie NAME.mp4.
std::string reportPathOf(const std::string& moviePath);
std::string reportTablePathOf(const std::string& moviePath);
// Whether a file's name is that of a report or its table.
bool isReportFileName(const std::string& path);

// The options as the report records them (and a batch compares them).
nlohmann::ordered_json optionsRecord(const AnonymizeOptions& options);

// The report of the session's run: its source (hashed before the work: `sourceSha256`), the
// movie it wrote, the models this process loaded, the options and the hidden face regions.
// Main thread.
nlohmann::ordered_json auditReport(const EditSession& session, const AnonymizeOptions& options,
                                   const std::string& sourceSha256, const std::string& moviePath,
                                   const std::string& movieSha256);

// Writes the report beside `moviePath` and, with `table`, its table, each through a temporary
// file under the rules of OutputFile. The one-line reason for a failure, or nothing.
std::optional<std::string> writeAuditReport(const nlohmann::ordered_json& report,
                                            const std::string& moviePath, bool table,
                                            bool overwrite);
std::optional<std::string> writeAuditTable(const nlohmann::ordered_json& report,
                                           const std::string& tablePath, bool overwrite);

// The report at `path`, or nothing with the one-line reason (missing, not JSON, not a report).
std::optional<nlohmann::ordered_json> readAuditReport(const std::string& path, std::string& reason);

// Whether `report` records these options (checked first: it costs no reading of files).
bool reportHasOptions(const nlohmann::ordered_json& report, const AnonymizeOptions& options);
// Whether `report` names a source with the digest `sourceSha256` and a movie with `movieSha256`.
bool reportNamesDigests(const nlohmann::ordered_json& report, const std::string& sourceSha256,
                        const std::string& movieSha256);

// The report as text for a reader: files, tool, models, options, the scan, every region.
std::string auditSummary(const nlohmann::ordered_json& report);
