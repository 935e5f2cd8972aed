// veilcut render PROJECT -o OUT.mp4 [--overwrite]: exports a project through the editor's
// export path.

#include "cli/Command.h"
#include "cli/ExportToFile.h"
#include "cli/ProjectSession.h"
#include "session/EditSession.h"
#include "faces/FaceEditor.h"

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
    std::string error;
    auto session = openProject(project, error);
    if (!session) return failWith(error);
    target.sourcePath = session->sourcePath;
    // The project's face regions are final: there is no scan to wait for.
    EditSession::shared().faceEditor().scanProgress = 1;
    EditSession::shared().faceEditor().scanState = FaceScanState::end;
    return exportToFile(target);
}
