#include "platform/dispatch/BackgroundPriority.h"

#include <sys/resource.h>
#include <unistd.h>

void runAtBackgroundPriority() {
    // On Linux the nice value belongs to the thread: this one and those it starts from now on.
    setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), 10);
}
