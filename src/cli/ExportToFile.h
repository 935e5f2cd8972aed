#pragma once
// Writes the current edits of the loaded source to a movie file for a headless command, with
// the safety rules of the command line: an existing file is replaced only with `overwrite`, the
// source is never written over, the movie is written under a temporary name in the
// destination folder and renamed into place only when complete, Ctrl-C cancels and leaves no
// file, and progress goes to stderr (a bar on a terminal, percentage lines otherwise).
// Main thread; pumps the main queue until the export has ended.

#include <string>

class EditSession;

struct ExportTarget {
    std::string sourcePath;
    std::string outputPath;
    bool overwrite = false;
};

// Checks the destination before any work starts; the error line, or empty when it is usable.
std::string exportTargetProblem(const ExportTarget& target);
// Runs the export; returns the exit status (0, 1 on failure, 130 when cancelled), having
// printed the error line on failure.
int exportToFile(EditSession& session, const ExportTarget& target);
