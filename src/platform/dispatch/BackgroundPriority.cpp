#include "platform/dispatch/BackgroundPriority.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

void runAtBackgroundPriority() {
    // On Linux the nice value belongs to the thread: this one and those it starts from now on.
    // Relative to where the program runs, so that a program started at a lower priority is not
    // raised back up.
    const auto thread = static_cast<id_t>(gettid());
    errno = 0;
    const int current = getpriority(PRIO_PROCESS, thread);
    if (errno == 0) setpriority(PRIO_PROCESS, thread, std::min(current + 10, 19));
}
