// veilcut render PROJECT -o OUT.mp4 [--overwrite]: exports a project through the editor's
// export path.

#include "cli/Command.h"
#include "cli/ExportToFile.h"
#include "session/EditSession.h"

namespace {

constexpr const char* USAGE = "usage: veilcut render PROJECT -o OUT.mp4 [--overwrite]";

}  // namespace

int runRender(Arguments args) {
    std::string project;
    ExportTarget target;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--overwrite") {
            target.overwrite = true;
        } else if (a == "-o" || a == "--output") {
            if (i + 1 >= args.size()) return failWith(a + " needs a value");
            target.outputPath = args[++i];
        } else if (!a.starts_with("-") && project.empty()) {
            project = a;
        } else {
            return failWith("unexpected argument '" + a + "' (" + USAGE + ")");
        }
    }
    if (project.empty() || target.outputPath.empty()) return failWith(USAGE);
    EditSession session;
    if (auto problem = session.openProject(project)) return failWith(*problem);
    return exportToFile(session, target);
}
