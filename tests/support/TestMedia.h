#pragma once
// Where the generated test clips and the built `veilcut` executable are.

#include <string>

std::string testMediaPath(const std::string& name);
// Runs the veilcut executable with the given arguments; returns its exit status and output.
struct CommandResult {
    int status = -1;
    std::string out;
    std::string err;
};
CommandResult runVeilcut(const std::string& arguments);
