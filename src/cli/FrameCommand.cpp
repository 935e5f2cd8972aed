// veilcut frame PROJECT --at SECONDS -o OUT.png [--preview] [--overwrite]: one frame through the
// real chain, at full size or in the preview box.

#include "cli/Command.h"
#include "cli/Options.h"
#include "cli/OutputOptions.h"
#include "platform/media/FrameAtTime.h"
#include "platform/media/VideoReader.h"
#include "session/EditSession.h"
#include "session/PreviewCompositor.h"

namespace {

struct FrameRequest {
    std::string project;
    double seconds = 0;
    std::string output;
    bool preview = false, overwrite = false;
};

int renderOneFrame(const FrameRequest& request) {
    EditSession session;
    if (auto problem = session.openProject(request.project)) return failWith(*problem);
    if (auto problem = outputProblem(request.output, session.filesInUse(), request.overwrite))
        return failWith(*problem);
    std::string error;

    Size display = *session.source()->size();
    Size size = request.preview ? previewRenderSize(display) : display;
    VideoReaderSettings settings;
    settings.format =
        session.source()->isHDR() ? VideoPixelFormat::rgba16 : VideoPixelFormat::rgba8;
    settings.width = int(size.width);
    settings.height = int(size.height);
    auto reader = VideoReader::open(session.source()->path(), settings, &error);
    if (!reader) return failWith(error);
    auto frame = frameAt(*reader, request.seconds, error);
    if (!frame) return failWith(session.source()->path() + ": " + error, EXIT_WORK_FAILED);

    Image out =
        session.renderFrame(frame->image, frame->time,
                            request.preview ? RenderPurpose::preview : RenderPurpose::exportFile);
    if (auto problem = writePicture(out, request.output, request.overwrite))
        return failWith(*problem, EXIT_WORK_FAILED);
    return 0;
}

}  // namespace

CommandRun defineFrame(CLI::App& app) {
    auto request = std::make_shared<FrameRequest>();
    addInputFile(app, "PROJECT", request->project, "PROJECT", "the project file")->required();
    addSeconds(app, "--at", request->seconds, "the time of the frame")->required();
    addPictureOutput(app, "-o,--output", request->output, "OUT.png", "the picture file to write")
        ->required();
    addOverwrite(app, request->overwrite);
    app.add_flag("--preview", request->preview, "fit the frame into the preview box");
    return [request] { return renderOneFrame(*request); };
}
