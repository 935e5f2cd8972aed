#include "project/ProjectWriter.h"

#include <cstdio>
#include <fstream>
#include <nlohmann/json.hpp>

#include "core/StyleKindName.h"
#include "platform/files/OutputFile.h"

namespace {

using Json = nlohmann::ordered_json;

Json timeJson(const ProjectTime& t) {
    if (auto* exact = std::get_if<MediaTime>(&t))
        return {{"value", exact->value}, {"timescale", exact->timescale}};
    return std::get<double>(t);
}

Json rectJson(const Rect& r) {
    return Json::array({r.x, r.y, r.width, r.height});
}

void addLook(Json& j, const ProjectStyle& s) {
    j["style"] = styleKindName(s.style);
    j["intensity"] = s.intensity;
    j["softness"] = s.softness;
}

Json trimJson(const std::optional<ProjectTime>& start, const std::optional<ProjectTime>& end) {
    Json trim = Json::object();
    if (start) trim["start"] = timeJson(*start);
    if (end) trim["end"] = timeJson(*end);
    return trim;
}

Json timedRectsJson(const std::vector<ProjectKeyframe>& list) {
    Json out = Json::array();
    for (const auto& k : list) out.push_back({{"t", timeJson(k.t)}, {"rect", rectJson(k.rect)}});
    return out;
}

Json regionJson(const ProjectRegion& r) {
    Json j;
    j["type"] = coverName(r.type);
    addLook(j, r.look);
    j["scale"] = r.scale;
    if (!r.emoji.empty()) j["emoji"] = r.emoji;
    if (r.trimStart || r.trimEnd) j["trim"] = trimJson(r.trimStart, r.trimEnd);
    j["trimmed"] = r.trimmed;
    j["samples"] = timedRectsJson(r.samples);
    return j;
}

Json shapeJson(const ProjectShape& s) {
    Json j;
    j["type"] = coverName(s.type);
    addLook(j, s.look);
    if (!s.emoji.empty()) j["emoji"] = s.emoji;
    if (s.trimStart || s.trimEnd) j["trim"] = trimJson(s.trimStart, s.trimEnd);
    if (s.maxEnd) j["maxEnd"] = timeJson(*s.maxEnd);
    j["rect"] = rectJson(s.rect);
    j["keyframes"] = timedRectsJson(s.keyframes);
    return j;
}

}  // namespace

std::string projectText(const ProjectDocument& d) {
    Json j;
    j["veilcut"] = PROJECT_FORMAT_VERSION;
    j["source"] = d.source;
    Json background;
    addLook(background, d.background);
    j["background"] = background;
    Json faces = Json::array();
    for (const auto& r : d.faces) faces.push_back(regionJson(r));
    j["faces"] = faces;
    Json objects = Json::array();
    for (const auto& r : d.objects) objects.push_back(regionJson(r));
    j["objects"] = objects;
    Json shapes = Json::array();
    for (const auto& s : d.shapes) shapes.push_back(shapeJson(s));
    j["shapes"] = shapes;
    return j.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

std::string writeProjectFile(const ProjectDocument& document, const std::string& path,
                             bool overwrite) {
    const std::string text = projectText(document);
    return writeThroughTemporary(path, overwrite, [&](const std::string& temporary) {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << text;
        out.close();
        return bool(out);
    });
}
