// veilcut scan IN [--json] [--small-faces] [-o PROJECT] [--overwrite]: finds every person's face in
// a video, prints one line per person and can write a project with every face region ready for
// editing.

#include <cstdio>
#include <nlohmann/json.hpp>

#include "cli/Command.h"
#include "cli/FaceScanSession.h"
#include "cli/Options.h"
#include "cli/OutputOptions.h"
#include "faces/FaceEditor.h"
#include "session/EditSession.h"

namespace {

void printPersons(const std::vector<TrackedRegion>& persons, bool json) {
    if (json) {
        nlohmann::ordered_json list = nlohmann::ordered_json::array();
        for (size_t i = 0; i < persons.size(); ++i)
            list.push_back({{"index", i + 1},
                            {"start", persons[i].startTime.seconds()},
                            {"end", persons[i].endTime.seconds()},
                            {"samples", persons[i].samples.size()}});
        std::printf("%s\n", nlohmann::ordered_json{{"persons", list}}.dump(2).c_str());
        return;
    }
    if (persons.empty()) std::printf("No Face Detected\n");
    for (size_t i = 0; i < persons.size(); ++i)
        std::printf("person %zu: %.3f s to %.3f s, %zu samples\n", i + 1,
                    persons[i].startTime.seconds(), persons[i].endTime.seconds(),
                    persons[i].samples.size());
}

struct ScanRequest {
    std::string input, project;
    bool json = false, overwrite = false;
    FaceScanReach reach = FaceScanReach::careful;
};

int scan(const ScanRequest& request) {
    EditSession session;
    if (auto problem = openVideo(session, request.input)) return failWith(*problem);
    if (auto problem = outputProblem(request.project, session.filesInUse(), request.overwrite))
        return failWith(*problem);
    if (auto failure = scanFaces(session, request.reach))
        return failWith(*failure, EXIT_WORK_FAILED);
    printPersons(session.faceEditor().regions(), request.json);
    if (!request.project.empty()) {
        if (auto problem = session.saveProject(request.project, request.overwrite))
            return failWith(*problem, EXIT_WORK_FAILED);
    }
    return 0;
}

}  // namespace

CommandRun defineScan(CLI::App& app) {
    auto request = std::make_shared<ScanRequest>();
    addInputFile(app, "IN", request->input, "IN", "the video")->required();
    app.add_flag("--json", request->json, "list the persons as JSON");
    addReachFlags(app, request->reach);
    app.add_option("-o,--output", request->project, "write a project with every face region")
        ->type_name("PROJECT");
    addOverwrite(app, request->overwrite);
    return [request] { return scan(*request); };
}
