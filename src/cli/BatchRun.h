#pragma once
// Runs a batch's plan: each file is anonymised by a `veilcut anonymize IN -o OUT --report` of
// its own, up to `jobs` at once, so that a file that crashes its decoder or runs out of memory
// ends only its own run, and each run holds memory as one file alone does. Shows the progress
// (BatchProgress), then prints the summary on stdout: how many were done, skipped, kept and
// failed, with one line per file kept or failed. Ctrl-C, SIGTERM and SIGHUP are passed on to the
// running files, which stop cleanly; no new file starts. Main thread.

#include "cli/BatchPlan.h"

// The exit status: 0 when every file is complete, 1 when any was kept or failed, 128 plus the
// signal when interrupted.
int runBatch(const BatchRequest& request, const BatchPlan& plan);
