#include "platform/log/Log.h"

#include <cstdio>
#include <mutex>

void logLine(std::string_view line) {
    // One lock so lines from several threads never interleave.
    static std::mutex mutex;
    std::lock_guard lock(mutex);
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fputc('\n', stderr);
}
