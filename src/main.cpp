// The program: the command line, and the editor when it is built in. The one place that
// knows both front ends.
#include <csignal>

#include "cli/CommandLine.h"
#include "platform/dispatch/BackgroundQueue.h"
#include "platform/image/FrameMemory.h"
#include "platform/image/ImageThreads.h"
#ifdef VEILCUT_WITH_EDITOR
#include "app/Editor.h"
#endif

int main(int argc, char** argv) {
    keepFreedFramesInHeap();
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
