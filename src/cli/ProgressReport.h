#pragma once
// Progress of a long command on stderr: a bar with percentage and estimated time left when
// stderr is a terminal, a line every 5 % otherwise. Main thread.

#include <chrono>
#include <string>

class ProgressReport {
public:
    explicit ProgressReport(std::string label);
    void update(double fraction);
    // Ends the bar's line (terminal) so later output starts on a fresh line.
    void finish();

private:
    std::string label_;
    bool terminal_;
    int lastPercent_ = -1;
    std::chrono::steady_clock::time_point started_ = std::chrono::steady_clock::now();
};
