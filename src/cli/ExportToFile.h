#pragma once
// Writes the session's edits to a movie file for a headless command, with the session's
// export rules (see OutputFile and ExportHandle): Ctrl-C, SIGTERM or SIGHUP cancels and leaves no
// file, and progress goes to stderr (a bar on a terminal, percentage lines otherwise).
// Main thread; pumps the main queue until the export has ended.

#include <optional>
#include <string>

class EditSession;
namespace CLI {
class App;
}

struct ExportTarget {
    std::string outputPath;
    bool overwrite = false;
};

// Why the session's source cannot be exported to `target` (the destination rules, a picture too
// small to encode), found before any work starts; nothing when it can.
std::optional<std::string> exportProblem(EditSession& session, const ExportTarget& target);

// Runs the export; returns the exit status (0; 2 for a destination refused before any work;
// 1 on failure; 128 plus the signal when cancelled: 130 for Ctrl-C), having printed the error
// line on failure.
int exportToFile(EditSession& session, const ExportTarget& target);

// Adds the destination's options for `target` to a command: -o/--output (required), named
// `valueName` in --help, and --overwrite.
void addExportTarget(CLI::App& app, ExportTarget& target, const std::string& valueName);
