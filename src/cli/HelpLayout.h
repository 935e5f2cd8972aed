#pragma once
// The layout of `veilcut --help` and of every command's --help: the usage line first, made
// from the option table, then the summary and the arguments, options and commands.

#include <CLI/CLI.hpp>
#include <string>

class HelpLayout : public CLI::Formatter {
public:
    HelpLayout();
    std::string make_help(const CLI::App* app, std::string name,
                          CLI::AppFormatMode mode) const override;
    std::string make_usage(const CLI::App* app, std::string name) const override;
    std::string make_option_opts(const CLI::Option* option) const override;
};
