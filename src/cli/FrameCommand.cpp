// veilcut frame PROJECT --at SECONDS -o OUT.png [--preview]: one frame through the real chain,
// at full size or in the preview box.

#include "cli/Command.h"
#include "cli/FrameAtTime.h"
#include "platform/image/ImageFile.h"
#include "platform/media/VideoReader.h"
#include "session/EditSession.h"
#include "session/PreviewCompositor.h"

namespace {

constexpr const char* USAGE = "usage: veilcut frame PROJECT --at SECONDS -o OUT.png [--preview]";

struct FrameRequest {
    std::string project;
    double seconds = -1;
    std::string output;
    bool preview = false;
};

std::optional<std::string> parse(Arguments args, FrameRequest& r) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--preview") {
            r.preview = true;
        } else if (a == "--at" || a == "-o" || a == "--output") {
            if (i + 1 >= args.size()) return a + " needs a value";
            const std::string& value = args[++i];
            if (a != "--at") {
                r.output = value;
                continue;
            }
            if (auto problem = parseSeconds(value, r.seconds)) return problem;
        } else if (!a.starts_with("-") && r.project.empty()) {
            r.project = a;
        } else {
            return "unexpected argument '" + a + "' (" + USAGE + ")";
        }
    }
    if (r.project.empty() || r.seconds < 0 || r.output.empty()) return std::string(USAGE);
    return std::nullopt;
}

}  // namespace

int runFrame(Arguments args) {
    FrameRequest request;
    if (auto problem = parse(args, request)) return failWith(*problem);
    EditSession session;
    if (auto problem = session.openProject(request.project)) return failWith(*problem);
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
    if (!writeImageFile(out, request.output))
        return failWith(request.output + ": cannot be written", EXIT_WORK_FAILED);
    return 0;
}
