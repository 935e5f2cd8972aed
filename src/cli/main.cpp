#include <malloc.h>

#include <cstdio>
#include <string>
#include <vector>

#include "cli/Command.h"
#include "platform/image/ImageThreads.h"
#include "platform/log/Log.h"

namespace {

void printHelp() {
    std::printf("usage: veilcut [--help] [--version] [--verbose] COMMAND [ARGS...]\n\n");
    std::printf("Veilcut hides faces, objects, backgrounds and shapes in videos.\n\n");
    std::printf("commands:\n");
    for (const Command& c : allCommands())
        std::printf("  %-12.*s %.*s\n", int(c.name.size()), c.name.data(), int(c.summary.size()),
                    c.summary.data());
}

}  // namespace

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
    std::vector<std::string> args;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        optionsEnded = optionsEnded || arg == "--";
        // The debug log is for every command: taken out here wherever it stands.
        if (!optionsEnded && arg == "--verbose")
            showDebugLog();
        else
            args.push_back(std::move(arg));
    }
    if (args.empty() || args[0] == "--help" || args[0] == "-h") {
        printHelp();
        return 0;
    }
    if (args[0] == "--version") {
        std::printf("veilcut %s\n", VEILCUT_VERSION);
        return 0;
    }
    for (const Command& c : allCommands())
        if (args[0] == c.name) return c.run(Arguments(args).subspan(1));
    return failWith("unknown command '" + args[0] + "' (see veilcut --help)");
}
