// veilcut render PROJECT -o OUT.mp4 [--overwrite]: exports a project through the editor's
// export path.

#include "cli/Command.h"
#include "cli/ExportToFile.h"
#include "cli/Options.h"
#include "session/EditSession.h"

namespace {

struct RenderRequest {
    std::string project;
    ExportTarget target;
};

int renderProject(const RenderRequest& request) {
    EditSession session;
    if (auto problem = session.openProject(request.project)) return failWith(*problem);
    return exportToFile(session, request.target);
}

}  // namespace

CommandRun defineRender(CLI::App& app) {
    auto request = std::make_shared<RenderRequest>();
    addInputFile(app, "PROJECT", request->project, "PROJECT", "the project file")->required();
    addExportTarget(app, request->target, "OUT.mp4");
    return [request] { return renderProject(*request); };
}
