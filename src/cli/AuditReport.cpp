#include "cli/AuditReport.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/AnonymizeOptions.h"
#include "core/StyleKindName.h"
#include "platform/files/OutputFile.h"
#include "platform/vision/ModelRegistry.h"
#include "session/EditSession.h"

namespace fs = std::filesystem;
using Json = nlohmann::ordered_json;

namespace {

constexpr const char* REPORT_SUFFIX = ".veilcut-report.json";
constexpr const char* TABLE_SUFFIX = ".veilcut-report.csv";
// Reports are small; anything much larger is not one of ours.
constexpr std::uintmax_t MAX_REPORT_BYTES = 512 * 1024 * 1024;

std::string besideMovie(const std::string& moviePath, const char* suffix) {
    fs::path path(moviePath);
    return (path.parent_path() / (path.stem().string() + suffix)).string();
}

Json hiddenFace(const TrackedRegion& region, int index) {
    Json samples = Json::array();
    for (const RegionSample& sample : region.samples) {
        Rect box = region.coveredArea(sample);
        samples.push_back(
            {{"time", sample.timeStamp.seconds()}, {"box", {box.x, box.y, box.width, box.height}}});
    }
    return {{"kind", "face"},
            {"index", index},
            {"cover", coverName(region.cover)},
            {"start", region.trimTime.start.seconds()},
            {"end", region.trimTime.end().seconds()},
            {"samples", std::move(samples)}};
}

// A CSV field: quoted when it holds a separator, a quote or a line break.
std::string csvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

std::string csvNumber(const Json& value) {
    return value.is_number() ? value.dump() : std::string();
}

// The text of a string member of an object member, or empty.
std::string memberText(const Json& report, const char* object, const char* key) {
    if (!report.is_object() || !report.contains(object)) return {};
    const Json& inner = report[object];
    if (!inner.is_object() || !inner.contains(key) || !inner[key].is_string()) return {};
    return inner[key].get<std::string>();
}

std::string auditTable(const Json& report) {
    std::string source = memberText(report, "source", "path");
    std::string output = memberText(report, "output", "path");
    std::string table = "source,output,kind,index,start,end,time,x,y,width,height\n";
    auto cell = [&table](const std::string& text) {
        table += ',';
        table += text;
    };
    for (const Json& region : report.at("hidden")) {
        for (const Json& sample : region.at("samples")) {
            table += csvField(source);
            cell(csvField(output));
            cell(csvField(region.at("kind").get<std::string>()));
            for (const char* key : {"index", "start", "end"}) cell(csvNumber(region.at(key)));
            cell(csvNumber(sample.at("time")));
            for (const Json& v : sample.at("box")) cell(csvNumber(v));
            table += '\n';
        }
    }
    return table;
}

std::optional<std::string> writeText(const std::string& text, const std::string& path,
                                     bool overwrite) {
    std::string problem = writeThroughTemporary(path, overwrite, [&](const std::string& temporary) {
        std::ofstream out(temporary, std::ios::binary);
        out << text;
        out.flush();
        return bool(out);
    });
    if (problem.empty()) return std::nullopt;
    return problem;
}

}  // namespace

std::string reportPathOf(const std::string& moviePath) {
    return besideMovie(moviePath, REPORT_SUFFIX);
}

std::string reportTablePathOf(const std::string& moviePath) {
    return besideMovie(moviePath, TABLE_SUFFIX);
}

bool isReportFileName(const std::string& path) {
    return path.ends_with(REPORT_SUFFIX) || path.ends_with(TABLE_SUFFIX);
}

Json optionsRecord(const AnonymizeOptions& options) {
    return {
        {"type", coverName(options.face.cover)},
        {"style", styleKindName(options.face.style)},
        {"intensity", options.face.intensity},
        {"softness", options.face.softness},
        {"scale", options.face.scale},
        {"emoji", effectiveEmoji(options)},
        {"background", options.background == StyleKind::normal ? std::string_view("off")
                                                               : styleKindName(options.background)},
        {"smallFaces", options.reach == FaceScanReach::smallFaces},
        {"fast", options.reach == FaceScanReach::fast}};
}

Json auditReport(const EditSession& session, const AnonymizeOptions& options,
                 const std::string& sourceSha256, const std::string& moviePath,
                 const std::string& movieSha256) {
    Json models = Json::array();
    for (const LoadedModelFile& model : ModelRegistry::loadedModels())
        models.push_back({{"name", model.fileName}, {"sha256", model.sha256}});
    const FaceEditor& faces = session.faceEditor();
    Json hidden = Json::array();
    for (size_t i = 0; i < faces.regions().size(); ++i)
        if (faces.regions()[i].cover != Cover::none)
            hidden.push_back(hiddenFace(faces.regions()[i], int(i + 1)));
    return {{"format", "veilcut-report"},
            {"formatVersion", 1},
            {"tool", {{"name", "veilcut"}, {"version", VEILCUT_VERSION}}},
            {"source", {{"path", session.source()->path()}, {"sha256", sourceSha256}}},
            {"output", {{"path", moviePath}, {"sha256", movieSha256}}},
            {"models", std::move(models)},
            {"options", optionsRecord(options)},
            {"framesScanned", faces.framesScanned()},
            {"personsFound", faces.regions().size()},
            {"hidden", std::move(hidden)}};
}

std::optional<std::string> writeAuditReport(const Json& report, const std::string& moviePath,
                                            bool table, bool overwrite) {
    if (auto problem = writeText(report.dump(2) + "\n", reportPathOf(moviePath), overwrite))
        return problem;
    if (!table) return std::nullopt;
    return writeAuditTable(report, reportTablePathOf(moviePath), overwrite);
}

std::optional<std::string> writeAuditTable(const Json& report, const std::string& tablePath,
                                           bool overwrite) {
    std::string table;
    try {
        table = auditTable(report);
    } catch (const Json::exception&) {
        return tablePath + ": the report it is made from is damaged";
    }
    return writeText(table, tablePath, overwrite);
}

std::optional<Json> readAuditReport(const std::string& path, std::string& reason) {
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) {
        reason = path + (fs::exists(path, ec) ? ": not a regular file" : ": no such file");
        return std::nullopt;
    }
    if (fs::file_size(path, ec) > MAX_REPORT_BYTES) {
        reason = path + ": too large for a report";
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    Json report = Json::parse(text.str(), nullptr, false);
    if (report.is_discarded() || !report.is_object() || !report.contains("format") ||
        report["format"] != "veilcut-report") {
        reason = path + ": not a veilcut report";
        return std::nullopt;
    }
    return report;
}

bool reportHasOptions(const Json& report, const AnonymizeOptions& options) {
    return report.contains("options") && report["options"] == optionsRecord(options);
}

bool reportNamesDigests(const Json& report, const std::string& sourceSha256,
                        const std::string& movieSha256) {
    return !sourceSha256.empty() && memberText(report, "source", "sha256") == sourceSha256 &&
           memberText(report, "output", "sha256") == movieSha256;
}

std::string auditSummary(const Json& report) {
    std::ostringstream text;
    auto line = [&](const std::string& label, const std::string& value) {
        char head[16];
        std::snprintf(head, sizeof head, "%-9s", label.c_str());
        text << head << value << "\n";
    };
    for (const char* file : {"source", "output"}) {
        line(file, memberText(report, file, "path"));
        line("", "sha256 " + memberText(report, file, "sha256"));
    }
    line("tool", memberText(report, "tool", "name") + " " + memberText(report, "tool", "version"));
    std::string label = "models";
    for (const Json& model : report.value("models", Json::array())) {
        line(label, model.value("name", "?") + "  sha256 " + model.value("sha256", "?"));
        label.clear();
    }
    std::string options;
    const Json recorded = report.value("options", Json::object());
    for (const auto& [key, value] : recorded.items())
        options += (options.empty() ? "" : ", ") + key + " " +
                   (value.is_string() ? value.get<std::string>() : value.dump());
    line("options", options);
    int frames = report.value("framesScanned", 0), persons = report.value("personsFound", 0);
    line("scanned", std::to_string(frames) + " frames, " + std::to_string(persons) +
                        (persons == 1 ? " person found" : " persons found"));
    const Json hidden = report.value("hidden", Json::array());
    label = "hidden";
    if (hidden.empty()) line(label, "nothing");
    for (const Json& region : hidden) {
        char span[160];
        std::snprintf(span, sizeof span, "%s %d: %.3f s to %.3f s, %zu boxes",
                      region.value("kind", "?").c_str(), region.value("index", 0),
                      region.value("start", 0.0), region.value("end", 0.0),
                      region.value("samples", Json::array()).size());
        line(label, span);
        label.clear();
    }
    return text.str();
}
