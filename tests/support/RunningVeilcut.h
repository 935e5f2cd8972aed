#pragma once
// A `veilcut` process the test talks to while it runs: read its stderr line by line, send it a
// signal at a chosen moment (after a given progress line, not after a guessed delay), then
// collect its exit status. The command runs through `sh -c`, so it may set limits first.

#include <sys/types.h>

#include <cstdio>
#include <string>

class RunningVeilcut {
public:
    // Runs `sh -c "PREFIX veilcut ARGUMENTS"` with stdout discarded.
    explicit RunningVeilcut(const std::string& arguments, const std::string& prefix = "");
    ~RunningVeilcut();
    RunningVeilcut(const RunningVeilcut&) = delete;
    RunningVeilcut& operator=(const RunningVeilcut&) = delete;

    // Reads stderr until a line starting with `start`; false when it ended first.
    bool waitForLineStarting(const std::string& start);
    void send(int signal);
    // Reads the rest of stderr and waits: the exit status, or 128 plus the signal that ended it.
    int finish();
    // Everything read from stderr so far.
    const std::string& err() const { return err_; }

private:
    pid_t pid_ = -1;
    FILE* err_stream_ = nullptr;
    std::string err_;
};
