#pragma once
// Progress of a batch on stderr. On a terminal, a block redrawn in place: one line per file
// being worked on, with its bar, and a total with the time left. In a log, a line per file at
// each quarter and when it ends, and the total after every file. Main thread.

#include <chrono>
#include <map>
#include <string>

class BatchProgress {
public:
    // `files`: how many files the batch will work on.
    explicit BatchProgress(int files);
    // The file's fraction done, 0 to 1, as its run reports it.
    void update(const std::string& file, double fraction);
    // The file has ended; `outcome` is the line that says how ("a.mp4: done in 12.3 s, ...").
    void ended(const std::string& file, const std::string& outcome);
    // Clears the block (terminal) so the summary starts on a fresh line.
    void finish();

private:
    std::string totalLine() const;
    void redraw(bool now);
    void erase();

    const int files_;
    const bool terminal_;
    int ended_ = 0;
    std::map<std::string, double> running_;
    int linesDrawn_ = 0;
    const std::chrono::steady_clock::time_point started_ = std::chrono::steady_clock::now();
    std::chrono::steady_clock::time_point lastDrawn_;
};
