#include "cli/Options.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "cli/Command.h"
#include "core/StyleKindName.h"
#include "session/InputFile.h"

namespace {

std::string styleNames() {
    std::string names;
    for (StyleKind kind : allStyleKinds)
        names += (names.empty() ? "" : ", ") + std::string(styleKindName(kind));
    return names;
}

}  // namespace

std::optional<double> finiteNumber(const std::string& text) {
    char* end = nullptr;
    double v = std::strtod(text.c_str(), &end);
    if (text.empty() || *end || !std::isfinite(v)) return std::nullopt;
    return v;
}

CLI::Option* addNumberIn(CLI::App& app, const std::string& name, double& value, double lo,
                         double hi, const std::string& description) {
    return addParsed<double>(
        app, name, value, "X", description,
        [name, lo, hi](const std::string& text, double& out) -> std::optional<std::string> {
            auto v = finiteNumber(text);
            if (!v || *v < lo || *v > hi) {
                std::ostringstream message;
                message << name << " must be a number from " << lo << " to " << hi << ", not '"
                        << text << "'";
                return message.str();
            }
            out = *v;
            return std::nullopt;
        });
}

CLI::Option* addSeconds(CLI::App& app, const std::string& name, double& value,
                        const std::string& description) {
    return addParsed<double>(
        app, name, value, "SECONDS", description,
        [name](const std::string& text, double& out) -> std::optional<std::string> {
            auto v = finiteNumber(text);
            if (!v || *v < 0 || *v > 1e9)
                return name + " must be a number of seconds from 0, not '" + text + "'";
            out = *v;
            return std::nullopt;
        });
}

CLI::Option* addStyle(CLI::App& app, const std::string& name, StyleKind& value,
                      const std::string& what, const std::string& description) {
    return addParsed<StyleKind>(
        app, name, value, "NAME", description,
        [what](const std::string& text, StyleKind& out) -> std::optional<std::string> {
            auto style = styleKindFromName(text);
            if (!style) return "unknown " + what + " '" + text + "' (" + styleNames() + ")";
            out = *style;
            return std::nullopt;
        });
}

CLI::Option* addInputFile(CLI::App& app, const std::string& names, std::string& path,
                          const std::string& valueName, const std::string& description) {
    return addParsed<std::string>(app, names, path, valueName, description,
                                  [](const std::string& text, std::string& out) {
                                      out = text;
                                      return unreadableFileReason(text);
                                  });
}

int reportParseError(const CLI::App& app, const CLI::ParseError& error) {
    if (dynamic_cast<const CLI::CallForHelp*>(&error) ||
        dynamic_cast<const CLI::CallForAllHelp*>(&error)) {
        // Help for the command named on the line, or for the program without one.
        std::fputs(app.help().c_str(), stdout);
        return 0;
    }
    if (dynamic_cast<const CLI::CallForVersion*>(&error)) {
        std::printf("%s\n", error.what());
        return 0;
    }
    std::string message = error.what();
    std::replace(message.begin(), message.end(), '\n', ' ');
    return failWith(message, EXIT_USAGE);
}
