#pragma once
// The folder where this process keeps files it is still making (an export before it is saved):
// one per process, under the system temporary folder's "Veilcut", named by the process's id and
// start time. Each process clears away the folders of processes that have ended (crashed or
// killed before they could), never those of a process still running, and removes its own when
// it ends if nothing is left in it.
//
// Threads: any thread.

#include <string>

// This process's scratch folder, made (and the ended processes' folders removed) on first use.
std::string processScratchFolder();

// The name of the scratch folder of the process `pid`; empty when that process is not running.
std::string scratchFolderName(int pid);
// Whether `name` is a scratch folder's name ("process-PID-STARTTIME") whose process has ended.
bool namesEndedProcess(const std::string& name);
// Removes each folder in `parent` named like a scratch folder whose process has ended.
void removeScratchFoldersOfEndedProcesses(const std::string& parent);
