#include "cli/HelpLayout.h"

namespace {

// Flags have no value name.
bool takesValue(const CLI::Option* option) {
    return option->get_type_size() != 0 && !option->get_type_name().empty();
}

// "-o OUT", "--json", "IN": an option as the usage line shows it.
std::string usageWord(const CLI::Option* option) {
    if (option->get_positional()) return option->get_name(true, false);
    std::string word = option->get_snames().empty() ? "--" + option->get_lnames().front()
                                                    : "-" + option->get_snames().front();
    if (takesValue(option)) word += " " + option->get_type_name();
    return word;
}

}  // namespace

HelpLayout::HelpLayout() {
    label("Positionals", "arguments");
    column_width(26);
}

std::string HelpLayout::make_help(const CLI::App* app, std::string name,
                                  CLI::AppFormatMode mode) const {
    if (mode == CLI::AppFormatMode::Sub) return make_expanded(app);
    return make_usage(app, name) + "\n" + make_description(app) + make_positionals(app) +
           make_groups(app, mode) + make_subcommands(app, mode) + make_footer(app);
}

std::string HelpLayout::make_usage(const CLI::App* app, std::string name) const {
    std::string line = "usage: " + name;
    // Every command takes --help; listing it on each usage line would only add noise.
    for (const CLI::Option* option : app->get_options()) {
        if (option == app->get_help_ptr()) continue;
        std::string word = usageWord(option);
        line += " " + (option->get_required() ? word : "[" + word + "]");
    }
    if (!app->get_subcommands({}).empty()) line += " COMMAND [ARGS...]";
    return line + "\n";
}

// The value's name only: the usage line already says what is required.
std::string HelpLayout::make_option_opts(const CLI::Option* option) const {
    if (option->get_positional() || !takesValue(option)) return "";
    return " " + option->get_type_name();
}
