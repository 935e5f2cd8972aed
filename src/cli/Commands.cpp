#include <cstdio>

#include "cli/Command.h"

CommandRun defineInfo(CLI::App& app);
CommandRun defineStyle(CLI::App& app);
CommandRun defineDetect(CLI::App& app);
CommandRun defineFrame(CLI::App& app);
CommandRun defineRender(CLI::App& app);
CommandRun defineScan(CLI::App& app);
CommandRun defineTrack(CLI::App& app);
CommandRun defineAnonymize(CLI::App& app);
CommandRun defineReport(CLI::App& app);

std::span<const Command> allCommands() {
    static const Command commands[] = {
        {"info", "print the facts of a video file (size, rotation, timing, HDR, tracks)",
         defineInfo},
        {"detect", "find faces, noses and necks (and a person mask) in a picture", defineDetect},
        {"frame", "render one frame of a project through the filter chain to a picture",
         defineFrame},
        {"render", "export a project to a new movie file", defineRender},
        {"anonymize", "hide every person's face in a video and write the result to a new file",
         defineAnonymize},
        {"report", "print the audit report written beside an anonymised movie", defineReport},
        {"scan", "find every person's face in a video and list them (or write a project)",
         defineScan},
        {"track", "follow a box drawn on one frame through the video (or write a project)",
         defineTrack},
        {"style", "write a blur style or colour effect applied to a test card to a picture",
         defineStyle},
    };
    return commands;
}

int failWith(std::string_view message, int status) {
    std::fprintf(stderr, "veilcut: error: %.*s\n", int(message.size()), message.data());
    return status;
}
