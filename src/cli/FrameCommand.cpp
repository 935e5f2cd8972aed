// veilcut frame PROJECT --at SECONDS -o OUT.png [--preview]: one frame through the real chain,
// at full size or in the preview box.

#include <cmath>
#include <cstdlib>

#include "cli/Command.h"
#include "cli/ProjectSession.h"
#include "core/CEdit.h"
#include "platform/image/ImageFile.h"
#include "platform/media/VideoReader.h"
#include "render/EditGalleryCompositing.h"

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
            char* end = nullptr;
            r.seconds = std::strtod(value.c_str(), &end);
            if (value.empty() || *end || !std::isfinite(r.seconds) || r.seconds < 0 || r.seconds > 1e9)
                return "--at must be a number of seconds from 0, not '" + value + "'";
        } else if (!a.starts_with("-") && r.project.empty()) {
            r.project = a;
        } else {
            return "unexpected argument '" + a + "' (" + USAGE + ")";
        }
    }
    if (r.project.empty() || r.seconds < 0 || r.output.empty()) return std::string(USAGE);
    return std::nullopt;
}

// The frame shown at `seconds`: the last one that starts at or before it (the first frame
// for earlier times, the last for later ones).
std::optional<VideoFrame> frameAt(VideoReader& reader, double seconds, std::string& error) {
    MediaTimeRange track = reader.trackRange();
    int32_t scale = reader.timescale();
    // Start a little early so the frame that covers `seconds` is read too.
    MediaTime from = MediaTime::fromSeconds(std::max(0.0, seconds - 1.0), scale);
    if (from > track.end()) from = track.start;
    if (!reader.setRange({from, track.end() - from})) {
        error = "cannot seek to " + std::to_string(seconds) + " s";
        return std::nullopt;
    }
    std::optional<VideoFrame> shown;
    VideoFrame frame;
    for (;;) {
        ReadStatus status = reader.read(frame);
        if (status != ReadStatus::frame) {
            if (!shown) error = reader.error().empty() ? "no frame at that time" : reader.error();
            return shown;
        }
        if (shown && frame.time.seconds() > seconds) return shown;
        shown = frame;
    }
}

}  // namespace

int runFrame(Arguments args) {
    FrameRequest request;
    if (auto problem = parse(args, request)) return failWith(*problem);
    std::string error;
    auto session = openProject(request.project, error);
    if (!session) return failWith(error);

    Size display = *session->asset->size();
    Size size = request.preview ? previewRenderSize(display) : display;
    VideoReaderSettings settings;
    settings.format = session->asset->isHDR() ? VideoPixelFormat::rgba16 : VideoPixelFormat::rgba8;
    settings.width = int(size.width);
    settings.height = int(size.height);
    auto reader = VideoReader::open(session->sourcePath, settings, &error);
    if (!reader) return failWith(error);
    auto frame = frameAt(*reader, request.seconds, error);
    if (!frame) return failWith(session->sourcePath + ": " + error, EXIT_WORK_FAILED);

    Image out = CEdit::shared().applyBlurs(frame->image, frame->time, !request.preview);
    if (!writeImageFile(out, request.output))
        return failWith(request.output + ": cannot be written", EXIT_WORK_FAILED);
    return 0;
}
