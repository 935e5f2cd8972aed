#pragma once
// The `veilcut` subcommands. Each lives in its own file and is listed once in Commands.cpp.

#include <span>
#include <string>
#include <string_view>

using Arguments = std::span<const std::string>;

struct Command {
    std::string_view name;
    std::string_view summary;  // one line for --help
    int (*run)(Arguments args);
};

std::span<const Command> allCommands();

// Prints "veilcut: error: MESSAGE" on stderr and returns the exit status to use.
int failWith(std::string_view message, int status = 2);

// Exit statuses: 0 success, 1 the work itself failed, 2 bad usage or unreadable input.
constexpr int EXIT_WORK_FAILED = 1;
constexpr int EXIT_USAGE = 2;
