#include "platform/log/Log.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace {

std::atomic<bool>& forced() {
    static std::atomic<bool> value{false};
    return value;
}

bool askedForByEnvironment() {
    static const bool asked = [] {
        const char* level = std::getenv("VEILCUT_LOG");
        return level && std::strcmp(level, "debug") == 0;
    }();
    return asked;
}

}  // namespace

void showDebugLog(bool shown) {
    forced().store(shown);
}

bool isDebugLogShown() {
    return forced().load() || askedForByEnvironment();
}

namespace {

void printLine(std::string_view prefix, std::string_view line) {
    // One lock so lines from several threads never interleave.
    static std::mutex mutex;
    std::lock_guard lock(mutex);
    std::fwrite(prefix.data(), 1, prefix.size(), stderr);
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fputc('\n', stderr);
}

}  // namespace

void logDebug(std::string_view line) {
    if (isDebugLogShown()) printLine("", line);
}

void logWarning(std::string_view line) {
    printLine("veilcut: warning: ", line);
}
