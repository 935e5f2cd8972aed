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

void logDebug(std::string_view line) {
    if (!isDebugLogShown()) return;
    // One lock so lines from several threads never interleave.
    static std::mutex mutex;
    std::lock_guard lock(mutex);
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fputc('\n', stderr);
}
