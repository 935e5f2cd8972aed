#include <cstdio>

#include "cli/Command.h"

int runInfo(Arguments args);
int runStyle(Arguments args);
int runDetect(Arguments args);
int runFrame(Arguments args);
int runRender(Arguments args);
int runScan(Arguments args);
int runTrack(Arguments args);
int runAnonymize(Arguments args);

std::span<const Command> allCommands() {
    static const Command commands[] = {
        {"info", "print the facts of a video file (size, rotation, timing, HDR, tracks)", runInfo},
        {"detect", "find faces, noses and necks (and a person mask) in a picture", runDetect},
        {"frame", "render one frame of a project through the filter chain to a picture", runFrame},
        {"render", "export a project to a new movie file", runRender},
        {"anonymize", "hide every person's face in a video and write the result to a new file",
         runAnonymize},
        {"scan", "find every person's face in a video and list them (or write a project)", runScan},
        {"track", "follow a box drawn on one frame through the video (or write a project)",
         runTrack},
        {"style", "write a blur style or colour effect applied to a test card to a picture",
         runStyle},
    };
    return commands;
}

int failWith(std::string_view message, int status) {
    std::fprintf(stderr, "veilcut: error: %.*s\n", int(message.size()), message.data());
    return status;
}
