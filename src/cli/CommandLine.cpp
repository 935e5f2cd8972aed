#include "cli/CommandLine.h"

#include <cstdio>
#include <map>
#include <memory>

#include "cli/Command.h"
#include "cli/HelpLayout.h"
#include "cli/Options.h"
#include "platform/log/Log.h"

namespace {

constexpr const char* HELP_FLAG = "-h,--help";
constexpr const char* HELP_TEXT = "print this help and exit";

// The first word that is not an option, when nothing on the line named a command.
std::optional<std::string> unknownCommand(const CLI::App& app) {
    if (!app.get_subcommands().empty()) return std::nullopt;
    for (const std::string& word : app.remaining())
        if (!word.starts_with("-")) return word;
    return std::nullopt;
}

}  // namespace

CommandRun defineOpen(CLI::App& app, const EditorEntry& editor);

int runCommandLine(int argc, char** argv, const EditorEntry& editor) {
    CLI::App app("Veilcut hides faces, objects, backgrounds and shapes in videos.", "veilcut");
    // Set before the commands are added: they inherit the layout, the help flag and the
    // fallthrough that lets --verbose stand after the command's name too.
    app.formatter(std::make_shared<HelpLayout>());
    app.option_defaults()->group("options");
    app.set_help_flag(HELP_FLAG, HELP_TEXT);
    app.fallthrough();
    app.require_subcommand(0, 1);
    app.set_version_flag("--version", "veilcut " VEILCUT_VERSION, "print the version and exit");
    app.add_flag_callback(
        "--verbose", [] { showDebugLog(); },
        "show the debug log lines too (as VEILCUT_LOG=debug does)");

    std::map<const CLI::App*, CommandRun> runs;
    for (const Command& command : allCommands()) {
        CLI::App* sub = app.add_subcommand(std::string(command.name), std::string(command.summary));
        sub->group("commands");
        // A command copies the help flag before the option group: made again, it joins the rest.
        sub->set_help_flag(HELP_FLAG, HELP_TEXT);
        runs[sub] = command.define(*sub);
    }
    CLI::App* open = app.add_subcommand("open", "open the editor on a video or a project");
    open->group("commands");
    open->set_help_flag(HELP_FLAG, HELP_TEXT);
    runs[open] = defineOpen(*open, editor);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ExtrasError& error) {
        if (auto word = unknownCommand(app))
            return failWith("unknown command '" + *word + "' (see veilcut --help)");
        return reportParseError(app, error);
    } catch (const CLI::ParseError& error) {
        return reportParseError(app, error);
    }
    auto chosen = app.get_subcommands();
    if (chosen.empty() && argc == 1 && editor && hasDisplay()) return editor(std::nullopt);
    if (chosen.empty()) {
        std::fputs(app.help().c_str(), stdout);
        return 0;
    }
    return runs.at(chosen.front())();
}
