#include "support/RunningVeilcut.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

RunningVeilcut::RunningVeilcut(const std::string& arguments, const std::string& prefix) {
    int fds[2];
    if (::pipe(fds) != 0) return;
    const std::string command =
        prefix + " exec " + VEILCUT_BINARY + " " + arguments + " >/dev/null";
    pid_ = ::fork();
    if (pid_ == 0) {
        ::dup2(fds[1], 2);
        ::close(fds[0]);
        ::close(fds[1]);
        ::execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(fds[1]);
    err_stream_ = ::fdopen(fds[0], "r");
}

RunningVeilcut::~RunningVeilcut() {
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        finish();
    }
}

bool RunningVeilcut::waitForLineStarting(const std::string& start) {
    char line[4096];
    while (err_stream_ && std::fgets(line, sizeof line, err_stream_)) {
        err_ += line;
        if (std::string(line).rfind(start, 0) == 0) return true;
    }
    return false;
}

void RunningVeilcut::send(int signal) {
    if (pid_ > 0) ::kill(pid_, signal);
}

int RunningVeilcut::finish() {
    if (err_stream_) {
        char buffer[4096];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, err_stream_)) > 0) err_.append(buffer, n);
        std::fclose(err_stream_);
    }
    err_stream_ = nullptr;
    int status = 0;
    if (pid_ <= 0 || ::waitpid(pid_, &status, 0) != pid_) return -1;
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
