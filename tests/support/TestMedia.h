#pragma once
// Where the generated test clips and the built `veilcut` executable are.

#include <string>
#include <vector>

std::string testMediaPath(const std::string& name);
// Writes `out` (H.264, 10 frames a second) from a `seconds`-long plain background (`colour` and
// `size` as ffmpeg names them, e.g. "gray", "640x360") and `pictures` laid over it by `filter`,
// an ffmpeg filter graph whose inputs are [0:v] (the background) and [1:v]... (the pictures,
// repeated). True when ffmpeg succeeded.
bool makeClipOfPictures(const std::string& out, const std::string& colour, const std::string& size,
                        double seconds, const std::vector<std::string>& pictures,
                        const std::string& filter);
// Runs the veilcut executable with the given arguments; returns its exit status and output.
struct CommandResult {
    int status = -1;
    std::string out;
    std::string err;
};
CommandResult runVeilcut(const std::string& arguments);
// Runs a shell command (ffmpeg to look at what we wrote, say) the same way.
CommandResult runCommand(const std::string& shellCommand);
