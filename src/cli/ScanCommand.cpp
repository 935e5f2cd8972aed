// veilcut scan IN [--json] [--small-faces] [-o PROJECT]: finds every person's face in a video,
// prints one line per person and can write a project with every face region ready for editing.

#include <cstdio>
#include <nlohmann/json.hpp>

#include "cli/Command.h"
#include "cli/FaceScanSession.h"
#include "faces/FaceEditor.h"
#include "session/EditSession.h"

namespace {

constexpr const char* USAGE = "usage: veilcut scan IN [--json] [--small-faces] [-o PROJECT]";

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

}  // namespace

int runScan(Arguments args) {
    std::string input, project;
    bool json = false, smallFaces = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--json") {
            json = true;
        } else if (a == "--small-faces") {
            smallFaces = true;
        } else if (a == "-o" || a == "--output") {
            if (i + 1 >= args.size()) return failWith(a + " needs a value");
            project = args[++i];
        } else if (!a.starts_with("-") && input.empty()) {
            input = a;
        } else {
            return failWith("unexpected argument '" + a + "' (" + USAGE + ")");
        }
    }
    if (input.empty()) return failWith(USAGE);
    std::string error;
    int status = 0;
    EditSession session;
    if (!scanVideo(session, input, smallFaces, error, status)) return failWith(error, status);
    printPersons(session.faceEditor().regions(), json);
    if (!project.empty()) {
        if (auto problem = session.saveProject(project))
            return failWith(*problem, EXIT_WORK_FAILED);
    }
    return 0;
}
