#include "cli/BatchRun.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <list>

#include "cli/BatchProgress.h"
#include "cli/Command.h"
#include "cli/InterruptGuard.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::string_view ERROR_PREFIX = "veilcut: error: ";
// A file's run first scans, then exports; each is given half of its bar.
constexpr double SCAN_SHARE = 0.5;

// One file's run: its process and what its stderr has said so far.
struct Run {
    const BatchFile* file = nullptr;
    pid_t pid = -1;
    int errors = -1;  // the read end of its stderr
    std::string pending;
    std::string error;
    double scanned = 0, exported = 0;
    Clock::time_point started = Clock::now();

    double fraction() const { return SCAN_SHARE * scanned + (1 - SCAN_SHARE) * exported; }

    // Takes in a line of the run's stderr: its progress and its error line.
    void read(const std::string& line) {
        int percent = 0;
        if (std::sscanf(line.c_str(), "Scanning faces %d%%", &percent) == 1)
            scanned = percent / 100.0;
        else if (std::sscanf(line.c_str(), "exporting %d%%", &percent) == 1)
            exported = percent / 100.0;
        else if (line.starts_with(ERROR_PREFIX))
            error = line.substr(ERROR_PREFIX.size());
    }
};

std::string programPath() {
    std::error_code ec;
    return fs::read_symlink("/proc/self/exe", ec).string();
}

std::vector<std::string> runWords(const BatchRequest& request, const BatchFile& file) {
    std::vector<std::string> words = {programPath(), "anonymize", "--report"};
    if (request.reportTable) words.push_back("--report-csv");
    if (request.overwrite) words.push_back("--overwrite");
    auto options = optionWords(request.options);
    words.insert(words.end(), options.begin(), options.end());
    // After `--`, a source whose name starts with '-' is still a file.
    words.insert(words.end(), {"--output=" + file.movie, "--", file.source});
    return words;
}

// Starts the file's run with stdout discarded and stderr to a pipe; the reason when it cannot.
std::optional<std::string> start(const BatchRequest& request, Run& run) {
    std::error_code ec;
    fs::create_directories(fs::path(run.file->movie).parent_path(), ec);
    if (ec) return fs::path(run.file->movie).parent_path().string() + ": cannot be made";
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return std::string("cannot start: ") + std::strerror(errno);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDERR_FILENO);
    std::vector<std::string> words = runWords(request, *run.file);
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    int failed = ::posix_spawn(&run.pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    if (failed != 0) {
        ::close(fds[0]);
        return std::string("cannot start: ") + std::strerror(failed);
    }
    run.errors = fds[0];
    return std::nullopt;
}

// Reads what the run has written to stderr; false once it has closed it.
bool drain(Run& run) {
    char buffer[4096];
    ssize_t n = ::read(run.errors, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) return true;
    if (n <= 0) return false;
    run.pending.append(buffer, size_t(n));
    for (size_t end; (end = run.pending.find('\n')) != std::string::npos;) {
        run.read(run.pending.substr(0, end));
        run.pending.erase(0, end + 1);
    }
    return true;
}

struct Outcome {
    bool done = false;
    std::string text;  // "FILE: done in ..." or the reason it failed, naming the file
};

// Waits for the run's process; how it ended, with its time and peak memory.
Outcome reap(Run& run) {
    ::close(run.errors);
    int status = 0;
    rusage usage{};
    while (::wait4(run.pid, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    double seconds = std::chrono::duration<double>(Clock::now() - run.started).count();
    char text[96];
    std::snprintf(text, sizeof text, "done in %.1f s, peak memory %ld MB", seconds,
                  usage.ru_maxrss / 1024);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
        return {true, run.file->source + ": " + text};
    std::string reason = run.error;
    if (reason.empty() && InterruptGuard::signal()) reason = "cancelled; nothing was written";
    if (reason.empty() && WIFSIGNALED(status))
        reason = std::string("ended by signal ") + ::strsignal(WTERMSIG(status));
    if (reason.empty()) reason = "failed with status " + std::to_string(WEXITSTATUS(status));
    // Most reasons already name the file.
    if (!reason.starts_with(run.file->source) && !reason.starts_with(run.file->movie))
        reason = run.file->source + ": " + reason;
    return {false, reason};
}

void printSummary(const BatchPlan& plan, int done, const std::vector<std::string>& failures,
                  size_t notStarted) {
    std::printf("done %d, skipped %zu, kept %zu, failed %zu", done, plan.complete.size(),
                plan.kept.size(), failures.size());
    if (notStarted > 0) std::printf(", not started %zu", notStarted);
    std::printf("\n");
    for (const BatchFile& file : plan.kept) std::printf("kept: %s\n", file.reason.c_str());
    for (const std::string& failure : failures) std::printf("failed: %s\n", failure.c_str());
}

}  // namespace

int runBatch(const BatchRequest& request, const BatchPlan& plan) {
    InterruptGuard guard;
    BatchProgress progress(int(plan.toDo.size()));
    std::vector<std::string> failures;
    for (const BatchFile& file : plan.unreadable) failures.push_back(file.reason);
    std::list<Run> running;
    size_t next = 0;
    int done = 0, passedOn = 0;
    while (next < plan.toDo.size() || !running.empty()) {
        while (!InterruptGuard::signal() && running.size() < size_t(request.jobs) &&
               next < plan.toDo.size()) {
            Run run;
            run.file = &plan.toDo[next++];
            if (auto problem = start(request, run)) {
                failures.push_back(run.file->source + ": " + *problem);
                progress.ended(run.file->source, "failed: " + failures.back());
                continue;
            }
            progress.update(run.file->source, 0);
            running.push_back(std::move(run));
        }
        if (int signal = InterruptGuard::signal(); signal && signal != passedOn) {
            for (const Run& run : running) ::kill(run.pid, signal);
            passedOn = signal;
        }
        if (running.empty()) break;
        std::vector<pollfd> fds;
        for (const Run& run : running) fds.push_back({run.errors, POLLIN, 0});
        if (::poll(fds.data(), fds.size(), 250) <= 0) continue;
        size_t i = 0;
        for (auto it = running.begin(); it != running.end(); ++i) {
            if (!fds[i].revents) {
                ++it;
                continue;
            }
            if (drain(*it)) {
                progress.update(it->file->source, it->fraction());
                ++it;
                continue;
            }
            Outcome outcome = reap(*it);
            if (outcome.done) {
                ++done;
            } else {
                failures.push_back(outcome.text);
            }
            progress.ended(it->file->source,
                           outcome.done ? outcome.text : "failed: " + outcome.text);
            it = running.erase(it);
        }
    }
    progress.finish();
    printSummary(plan, done, failures, plan.toDo.size() - next);
    std::fflush(stdout);
    if (InterruptGuard::signal()) return 128 + InterruptGuard::signal();
    return failures.empty() && plan.kept.empty() ? 0 : EXIT_WORK_FAILED;
}
