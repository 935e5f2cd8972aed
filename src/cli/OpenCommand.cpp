// veilcut open [FILE|PROJECT]: the editor, on a video or a project.

#include <cstdlib>

#include "cli/Command.h"
#include "cli/EditorEntry.h"
#include "cli/Options.h"

bool hasDisplay() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* value = std::getenv(name);
        if (value && *value) return true;
    }
    return false;
}

CommandRun defineOpen(CLI::App& app, const EditorEntry& editor) {
    auto file = std::make_shared<std::string>();
    addInputFile(app, "FILE", *file, "FILE|PROJECT", "the video or project to open");
    return [file, editor] {
        if (!editor) return failWith("this veilcut was built without the editor");
        if (!hasDisplay())
            return failWith(
                "no display to show the editor on (DISPLAY and WAYLAND_DISPLAY are unset)");
        return editor(file->empty() ? std::nullopt : std::optional(*file));
    };
}
