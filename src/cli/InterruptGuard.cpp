#include "cli/InterruptGuard.h"

#include <atomic>
#include <csignal>
#include <iterator>

namespace {

std::atomic<int> interruptedBy{0};
static_assert(std::atomic<int>::is_always_lock_free, "the signal handler needs a lock-free flag");

extern "C" void onInterrupt(int signal) {
    interruptedBy.store(signal);
}

constexpr int SIGNALS[] = {SIGINT, SIGTERM, SIGHUP};
void (*previous[std::size(SIGNALS)])(int);

}  // namespace

InterruptGuard::InterruptGuard() {
    interruptedBy = 0;
    for (size_t i = 0; i < std::size(SIGNALS); ++i)
        previous[i] = std::signal(SIGNALS[i], onInterrupt);
}

InterruptGuard::~InterruptGuard() {
    for (size_t i = 0; i < std::size(SIGNALS); ++i) std::signal(SIGNALS[i], previous[i]);
}

int InterruptGuard::signal() {
    return interruptedBy.load();
}
