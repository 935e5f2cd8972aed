// veilcut anonymize IN -o OUT [--type circle|rectangle|emoji] [--style NAME] [--intensity X]
// [--softness X] [--scale X] [--emoji E] [--background STYLE] [--save-project P] [--overwrite]:
// finds every person's face and writes a copy of the video with all of them hidden (and, with
// --background, everything but the people styled too).

#include <cstdio>

#include "background/BackgroundEditor.h"
#include "cli/Command.h"
#include "cli/ExportToFile.h"
#include "cli/FaceScanSession.h"
#include "cli/Options.h"
#include "cli/OutputOptions.h"
#include "faces/FaceEditor.h"
#include "regions/EmojiImage.h"
#include "session/EditSession.h"

namespace {

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

std::optional<std::string> parseCover(const std::string& text, Cover& type) {
    auto cover = coverFromName(text);
    if (!cover || *cover == Cover::none) return "--type must be circle, rectangle or emoji";
    type = *cover;
    return std::nullopt;
}

std::optional<std::string> parseEmoji(const std::string& text, std::string& emoji) {
    if (!makeEmojiImage(text, 16)) return "--emoji: no picture for '" + text + "'";
    emoji = text;
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

int anonymize(const AnonymizeRequest& request) {
    EditSession session;
    if (auto problem = openVideo(session, request.input)) return failWith(*problem);
    // A destination or a source the export will refuse is refused before the scan.
    if (auto problem = exportProblem(session, request.target)) return failWith(*problem);
    std::vector<FileInUse> projectMustAvoid = session.filesInUse();
    projectMustAvoid.push_back({request.target.outputPath, "the movie being written"});
    if (auto problem = outputProblem(request.project, projectMustAvoid, request.target.overwrite))
        return failWith(*problem);
    if (auto failure = scanFaces(session, request.smallFaces))
        return failWith(*failure, EXIT_WORK_FAILED);
    FaceEditor& faces = session.faceEditor();
    hideEveryFace(faces, request.look);
    session.backgroundEditor().setStyle(request.background);
    std::fprintf(stderr, "Hiding %zu %s\n", faces.regions().size(),
                 faces.regions().size() == 1 ? "person" : "persons");
    if (!request.project.empty()) {
        if (auto problem = session.saveProject(request.project, request.target.overwrite))
            return failWith(*problem, EXIT_WORK_FAILED);
    }
    return exportToFile(session, request.target);
}

}  // namespace

CommandRun defineAnonymize(CLI::App& app) {
    auto request = std::make_shared<AnonymizeRequest>();
    Look& look = request->look;
    addInputFile(app, "IN", request->input, "IN", "the video")->required();
    addExportTarget(app, request->target, "OUT");
    addParsed<Cover>(app, "--type", look.type, "circle|rectangle|emoji",
                     "how each face is hidden (circle)", parseCover);
    addStyle(app, "--style", look.style, "style", "the style over each face (gaussian)");
    addNumberIn(app, "--intensity", look.intensity, 0, 1, "the style's strength, 0 to 1 (1)");
    addNumberIn(app, "--softness", look.softness, 0, 1, "the softness of the edges, 0 to 1 (0.2)");
    addNumberIn(app, "--scale", look.scale, 0.1, 10,
                "the enlargement of the hidden area, 0.1 to 10 (1)");
    addParsed<std::string>(app, "--emoji", look.emoji, "E", "the emoji for --type emoji",
                           parseEmoji);
    addStyle(app, "--background", request->background, "background style",
             "style everything but the people too (off)");
    addSmallFacesFlag(app, request->smallFaces);
    app.add_option("--save-project", request->project, "write the edits as a project too")
        ->type_name("P");
    return [request] { return anonymize(*request); };
}
