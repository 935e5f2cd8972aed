#pragma once
// Pieces the commands' option tables share: values checked and converted while the command line
// is parsed, before any work starts, and the error line for a command line that does not parse.

#include <CLI/CLI.hpp>
#include <functional>
#include <optional>
#include <string>

#include "core/StyleKind.h"

// The whole of `text` as a finite number, or nothing.
std::optional<double> finiteNumber(const std::string& text);

// Reads an argument's text into `value`; returns the reason for the error line when it cannot.
template <typename T>
using ValueParser = std::function<std::optional<std::string>(const std::string& text, T& value)>;

// Adds an option (or, for a name without dashes, an argument) whose text `parse` reads into
// `value`. A refusal's reason is the whole error line; `valueName` names the value in --help.
template <typename T>
CLI::Option* addParsed(CLI::App& app, const std::string& names, T& value,
                       const std::string& valueName, const std::string& description,
                       ValueParser<T> parse) {
    auto* option = app.add_option_function<std::string>(
        names,
        [&value, parse = std::move(parse)](const std::string& text) {
            if (auto problem = parse(text, value)) throw CLI::ValidationError(*problem);
        },
        description);
    return option->type_name(valueName);
}

// A number from `lo` to `hi`, named `name` in the error line.
CLI::Option* addNumberIn(CLI::App& app, const std::string& name, double& value, double lo,
                         double hi, const std::string& description);
// A time in seconds from 0.
CLI::Option* addSeconds(CLI::App& app, const std::string& name, double& value,
                        const std::string& description);
// A style by its name (gaussian, crystal, ...); `what` names it in the error line.
CLI::Option* addStyle(CLI::App& app, const std::string& name, StyleKind& value,
                      const std::string& what, const std::string& description);
// A file to read: a readable regular file, checked before anything opens it.
CLI::Option* addInputFile(CLI::App& app, const std::string& names, std::string& path,
                          const std::string& valueName, const std::string& description);

// Handles what parsing threw: the help or the version asked for, on stdout with status 0, or
// one error line with the usage status.
int reportParseError(const CLI::App& app, const CLI::ParseError& error);
