// The program: the command line, and the editor when it is built in. The one place that
// knows both front ends.
#include <malloc.h>

#include <csignal>

#include "cli/CommandLine.h"
#include "platform/dispatch/BackgroundQueue.h"
#include "platform/image/ImageThreads.h"
#ifdef VEILCUT_WITH_EDITOR
#include "app/Editor.h"
#endif

int main(int argc, char** argv) {
    // Frames are large buffers made and dropped many times a second. Served by mmap, each one
    // costs its page faults anew (about 20 ms for an 8 MB frame here); kept in the heap, freed
    // frames are reused. Memory stays bounded because the pipelines hold few frames at once.
    mallopt(M_MMAP_THRESHOLD, 512 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 1024 * 1024 * 1024);
    // Frames are made on one thread and dropped on another. With an arena per thread, each
    // arena keeps its own freed frames for its own thread; one shared arena reuses them all:
    // about 20 MB less at the median of 4K exports and 80 MB less at the worst, no slower.
    mallopt(M_ARENA_MAX, 1);
    configureImageThreads();
    // A reader of our output that went away (`veilcut ... | head -1`) must not kill the work
    // half-way with its temporary files left behind: writes to it just fail.
    std::signal(SIGPIPE, SIG_IGN);
#ifdef VEILCUT_WITH_EDITOR
    int status = runCommandLine(argc, argv, [argc, argv](const std::optional<std::string>& file) {
        return runEditor(argc, argv, file);
    });
#else
    int status = runCommandLine(argc, argv);
#endif
    // Work cancelled on the way out (a scan when the window closed) winds down before the
    // objects it uses are destroyed with the program.
    BackgroundQueue::waitUntilIdle();
    return status;
}
