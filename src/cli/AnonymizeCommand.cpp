// veilcut anonymize IN -o OUT [--type circle|rectangle|emoji] [--style NAME] [--intensity X]
// [--softness X] [--scale X] [--emoji E] [--background STYLE] [--save-project P] [--overwrite]:
// finds every person's face and writes a copy of the video with all of them hidden (and, with
// --background, everything but the people styled too).

#include <cmath>
#include <cstdlib>
#include <sstream>

#include "background/BackgroundEditor.h"
#include "cli/Command.h"
#include "cli/ExportToFile.h"
#include "cli/FaceScanSession.h"
#include "core/StyleKindName.h"
#include "faces/FaceEditor.h"
#include "regions/EmojiImage.h"
#include "session/EditSession.h"
#include "session/ExportTarget.h"

namespace {

constexpr const char* USAGE =
    "usage: veilcut anonymize IN -o OUT [--type circle|rectangle|emoji] [--style NAME] "
    "[--intensity X] [--softness X] [--scale X] [--emoji E] [--background STYLE] "
    "[--small-faces] [--save-project P] [--overwrite]";

struct Look {
    Cover type = Cover::circle;
    StyleKind style = StyleKind::gaussian;
    double intensity = 1.0;
    double softness = 0.2;
    double scale = 1.0;
    std::string emoji;
};

struct AnonymizeRequest {
    std::string input;
    ExportTarget target;
    std::string project;
    Look look;
    StyleKind background = StyleKind::normal;  // off
    bool smallFaces = false;
};

std::optional<double> numberIn(const std::string& text, double lo, double hi) {
    char* end = nullptr;
    double v = std::strtod(text.c_str(), &end);
    if (text.empty() || *end || !std::isfinite(v) || v < lo || v > hi) return std::nullopt;
    return v;
}

std::optional<std::string> parse(Arguments args, AnonymizeRequest& r) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--overwrite" || a == "--small-faces") {
            (a == "--overwrite" ? r.target.overwrite : r.smallFaces) = true;
            continue;
        }
        if (!a.starts_with("-")) {
            if (!r.input.empty()) return "unexpected argument '" + a + "' (" + USAGE + ")";
            r.input = a;
            continue;
        }
        if (i + 1 >= args.size()) return a + " needs a value";
        const std::string& value = args[++i];
        auto ranged = [&](double& field, double lo, double hi) -> std::optional<std::string> {
            auto v = numberIn(value, lo, hi);
            if (!v) {
                std::ostringstream message;
                message << a << " must be a number from " << lo << " to " << hi << ", not '"
                        << value << "'";
                return message.str();
            }
            field = *v;
            return std::nullopt;
        };
        std::optional<std::string> problem;
        if (a == "-o" || a == "--output") {
            r.target.outputPath = value;
        } else if (a == "--save-project") {
            r.project = value;
        } else if (a == "--type") {
            auto type = coverFromName(value);
            if (!type || *type == Cover::none) return "--type must be circle, rectangle or emoji";
            r.look.type = *type;
        } else if (a == "--style") {
            auto style = styleKindFromName(value);
            if (!style) return "unknown style '" + value + "'";
            r.look.style = *style;
        } else if (a == "--background") {
            auto style = styleKindFromName(value);
            if (!style) return "unknown background style '" + value + "'";
            r.background = *style;
        } else if (a == "--intensity") {
            problem = ranged(r.look.intensity, 0, 1);
        } else if (a == "--softness") {
            problem = ranged(r.look.softness, 0, 1);
        } else if (a == "--scale") {
            problem = ranged(r.look.scale, 0.1, 10);
        } else if (a == "--emoji") {
            if (!makeEmojiImage(value, 16)) return "--emoji: no picture for '" + value + "'";
            r.look.emoji = value;
        } else {
            return "unexpected argument '" + a + "' (" + USAGE + ")";
        }
        if (problem) return problem;
    }
    if (r.input.empty() || r.target.outputPath.empty()) return std::string(USAGE);
    return std::nullopt;
}

// Every face region gets the same look; the face editor's setters keep their rules.
void hideEveryFace(FaceEditor& faces, const Look& look) {
    for (int i = 0; i < int(faces.regions().size()); ++i) {
        faces.select(i);
        faces.setCover(int(look.type));
        faces.setStyle(look.style);
        faces.setIntensity(look.intensity);
        faces.setSoftness(look.softness);
        faces.setScale(look.scale);
        if (!look.emoji.empty()) faces.setEmoji(look.emoji);
        faces.finishEdit();
    }
}

}  // namespace

int runAnonymize(Arguments args) {
    AnonymizeRequest request;
    if (auto problem = parse(args, request)) return failWith(*problem);
    std::string problem =
        exportTargetProblem(request.target.outputPath, request.input, request.target.overwrite);
    if (!problem.empty()) return failWith(problem);
    std::string error;
    int status = 0;
    EditSession session;
    if (!scanVideo(session, request.input, request.smallFaces, error, status))
        return failWith(error, status);
    FaceEditor& faces = session.faceEditor();
    hideEveryFace(faces, request.look);
    session.backgroundEditor().setStyle(request.background);
    std::fprintf(stderr, "Hiding %zu %s\n", faces.regions().size(),
                 faces.regions().size() == 1 ? "person" : "persons");
    if (!request.project.empty()) {
        if (auto problem = session.saveProject(request.project))
            return failWith(*problem, EXIT_WORK_FAILED);
    }
    return exportToFile(session, request.target);
}
