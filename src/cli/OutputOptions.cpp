#include "cli/OutputOptions.h"

#include <CLI/CLI.hpp>

#include "cli/Options.h"
#include "platform/image/ImageFile.h"

CLI::Option* addOverwrite(CLI::App& app, bool& overwrite) {
    return app.add_flag("--overwrite", overwrite, "replace an output file that exists");
}

CLI::Option* addPictureOutput(CLI::App& app, const std::string& names, std::string& path,
                              const std::string& valueName, const std::string& description) {
    return addParsed<std::string>(
        app, names, path, valueName, description,
        [](const std::string& text, std::string& value) -> std::optional<std::string> {
            if (!isPictureFileName(text))
                return text + ": pictures are written as .png, .jpg or .jpeg";
            value = text;
            return std::nullopt;
        });
}

std::optional<std::string> outputProblem(const std::string& path,
                                         const std::vector<FileInUse>& inUse, bool overwrite) {
    if (path.empty()) return std::nullopt;
    std::string problem = outputFileProblem(path, inUse, overwrite);
    if (problem.empty()) return std::nullopt;
    return problem;
}

std::optional<std::string> writePicture(const Image& image, const std::string& path,
                                        bool overwrite) {
    std::string problem = writeThroughTemporary(path, overwrite, [&](const std::string& temporary) {
        return writeImageFile(image, temporary);
    });
    if (problem.empty()) return std::nullopt;
    return problem;
}
