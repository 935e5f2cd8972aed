#pragma once
// What a batch of `veilcut anonymize` will do, worked out before any work starts: the files its
// inputs name (folders walked, with --recursive their subfolders too), the movie each becomes
// under the output folder (its path relative to the input folder it came from, ending in .mp4),
// and which of those are already complete (a report that names the same source and options
// beside an unchanged movie), in the way (an output without such a report) or to be done.
// Touches the file system only; main thread.

#include <optional>
#include <string>
#include <vector>

#include "cli/AnonymizeOptions.h"

struct BatchRequest {
    std::vector<std::string> inputs;  // files and folders
    std::string outputFolder;
    AnonymizeOptions options;
    bool recursive = false;
    bool overwrite = false;
    bool reportTable = false;
    int jobs = 1;
};

struct BatchFile {
    std::string source;
    std::string movie;
    std::string reason;  // why it is kept or cannot be read; empty for the others
};

struct BatchPlan {
    std::vector<BatchFile> toDo;
    std::vector<BatchFile> complete;    // skipped
    std::vector<BatchFile> kept;        // an output in the way, left alone
    std::vector<BatchFile> unreadable;  // failed before running: not a readable regular file
};

// Whether a command line names a batch: several inputs, a folder among them, or an output
// that is a folder (or ends with '/'). One file to a file name is the single run.
bool isBatch(const std::vector<std::string>& inputs, const std::string& output);

// The plan, or the one-line reason no work may start (an input that does not exist, an output
// folder that is a file, two inputs that would become one movie, a movie landing on an input).
std::optional<BatchPlan> planBatch(const BatchRequest& request, std::string& problem);
