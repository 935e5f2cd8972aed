#pragma once
// The `veilcut` subcommands. Each lives in its own file with its option table and is listed
// once in Commands.cpp.

#include <functional>
#include <span>
#include <string_view>

namespace CLI {
class App;
}

// What a command does once its command line has parsed; returns the exit status.
using CommandRun = std::function<int()>;

struct Command {
    std::string_view name;
    std::string_view summary;  // one line for --help
    // Adds the command's arguments and options to `app`, bound to a request that the returned
    // function then carries out.
    CommandRun (*define)(CLI::App& app);
};

std::span<const Command> allCommands();

// Prints "veilcut: error: MESSAGE" on stderr and returns the exit status to use.
int failWith(std::string_view message, int status = 2);

// Exit statuses: 0 success, 1 the work itself failed, 2 bad usage or unreadable input.
constexpr int EXIT_WORK_FAILED = 1;
constexpr int EXIT_USAGE = 2;
