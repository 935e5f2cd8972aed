#include "project/ProjectReader.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <limits>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>

#include "core/StyleKindName.h"

namespace {

using Json = nlohmann::json;

// Largest magnitude accepted for a normalised coordinate and for seconds: far beyond any real
// value, small enough that every later conversion to pixels or integer values stays defined.
constexpr double MAX_COORDINATE = 1000;
constexpr double MAX_SECONDS = 1e9;
constexpr size_t MAX_EMOJI_BYTES = 64;
// Names from the document longer than this are left out of messages.
constexpr size_t MAX_SHOWN_NAME = 32;

// Thrown only inside this file; parseProject turns it into the error message.
struct Fault {
    std::string message;
};

[[noreturn]] void fail(const std::string& path, const std::string& what) {
    throw Fault{(path.empty() ? std::string("document") : path) + ": " + what};
}

std::string child(const std::string& path, const std::string& key) {
    return path.empty() ? key : path + "." + key;
}

std::string element(const std::string& path, size_t i) {
    return path + "[" + std::to_string(i) + "]";
}

// A name the document gave (a key, a style) as a message shows it, after a space: quoted when
// it is short printable ASCII, left out otherwise, so a message stays one short line whatever
// the document holds.
std::string shown(const std::string& name) {
    bool plain = name.size() <= MAX_SHOWN_NAME &&
                 std::all_of(name.begin(), name.end(),
                             [](unsigned char c) { return c >= 0x20 && c < 0x7f; });
    return plain ? " '" + name + "'" : "";
}

// At most `limit` elements in the array `v`.
void atMost(const Json& v, size_t limit, const std::string& path, const std::string& what) {
    if (v.size() > limit) fail(path, "more than " + std::to_string(limit) + " " + what);
}

void onlyKeys(const Json& object, const std::string& path, std::set<std::string> allowed) {
    for (auto it = object.begin(); it != object.end(); ++it)
        if (!allowed.count(it.key())) fail(path, "unknown key" + shown(it.key()));
}

const Json& object(const Json& v, const std::string& path) {
    if (!v.is_object()) fail(path, "must be an object");
    return v;
}

const Json& array(const Json& v, const std::string& path) {
    if (!v.is_array()) fail(path, "must be an array");
    return v;
}

const Json* optionalMember(const Json& obj, const std::string& key) {
    auto it = obj.find(key);
    return it == obj.end() ? nullptr : &*it;
}

const Json& member(const Json& obj, const std::string& key, const std::string& path) {
    const Json* v = optionalMember(obj, key);
    if (!v) fail(path, "missing key '" + key + "'");
    return *v;
}

double number(const Json& v, const std::string& path, double lo, double hi) {
    if (!v.is_number()) fail(path, "must be a number");
    double d = v.get<double>();
    if (!std::isfinite(d) || d < lo || d > hi) {
        std::ostringstream range;
        range << "must be between " << lo << " and " << hi;
        fail(path, range.str());
    }
    return d;
}

std::string string(const Json& v, const std::string& path) {
    if (!v.is_string()) fail(path, "must be a string");
    return v.get<std::string>();
}

int64_t integer(const Json& v, const std::string& path, int64_t lo, int64_t hi) {
    if (!v.is_number_integer()) fail(path, "must be an integer");
    if (v.is_number_unsigned() && v.get<uint64_t>() > uint64_t(std::numeric_limits<int64_t>::max()))
        fail(path, "is too large");
    int64_t i = v.get<int64_t>();
    if (i < lo || i > hi)
        fail(path, "must be between " + std::to_string(lo) + " and " + std::to_string(hi));
    return i;
}

ProjectTime time(const Json& v, const std::string& path) {
    if (v.is_number()) return number(v, path, 0, MAX_SECONDS);
    object(v, path);
    onlyKeys(v, path, {"value", "timescale"});
    int64_t timescale = integer(member(v, "timescale", path), child(path, "timescale"), 1,
                                std::numeric_limits<int32_t>::max());
    int64_t value = integer(member(v, "value", path), child(path, "value"), 0,
                            int64_t(MAX_SECONDS) * timescale);
    return MediaTime(value, int32_t(timescale));
}

double seconds(const ProjectTime& t) {
    if (auto* exact = std::get_if<MediaTime>(&t)) return exact->seconds();
    return std::get<double>(t);
}

Rect rect(const Json& v, const std::string& path) {
    array(v, path);
    if (v.size() != 4) fail(path, "must be [x, y, width, height]");
    Rect r{number(v[0], element(path, 0), -MAX_COORDINATE, MAX_COORDINATE),
           number(v[1], element(path, 1), -MAX_COORDINATE, MAX_COORDINATE),
           number(v[2], element(path, 2), -MAX_COORDINATE, MAX_COORDINATE),
           number(v[3], element(path, 3), -MAX_COORDINATE, MAX_COORDINATE)};
    if (!(r.width > 0)) fail(path, "width must be > 0");
    if (!(r.height > 0)) fail(path, "height must be > 0");
    return r;
}

ProjectStyle look(const Json& obj, const std::string& path, ProjectStyle defaults) {
    ProjectStyle s = defaults;
    if (const Json* v = optionalMember(obj, "style")) {
        auto name = string(*v, child(path, "style"));
        auto type = styleKindFromName(name);
        if (!type) fail(child(path, "style"), "unknown style" + shown(name));
        s.style = *type;
    }
    if (const Json* v = optionalMember(obj, "intensity"))
        s.intensity = number(*v, child(path, "intensity"), 0, 1);
    if (const Json* v = optionalMember(obj, "softness"))
        s.softness = number(*v, child(path, "softness"), 0, 1);
    return s;
}

std::optional<ProjectTime> optionalTime(const Json& obj, const std::string& key,
                                        const std::string& path) {
    const Json* t = optionalMember(obj, key);
    if (!t) return std::nullopt;
    return time(*t, child(path, key));
}

void trim(const Json& v, const std::string& path, std::optional<ProjectTime>& start,
          std::optional<ProjectTime>& end) {
    const Json* t = optionalMember(v, "trim");
    if (!t) return;
    std::string p = child(path, "trim");
    object(*t, p);
    onlyKeys(*t, p, {"start", "end"});
    start = optionalTime(*t, "start", p);
    end = optionalTime(*t, "end", p);
    if (start && end && seconds(*start) > seconds(*end)) fail(p, "start must not be after end");
}

std::string emoji(const Json& v, const std::string& path) {
    const Json* e = optionalMember(v, "emoji");
    if (!e) return {};
    std::string text = string(*e, child(path, "emoji"));
    if (text.empty() || text.size() > MAX_EMOJI_BYTES)
        fail(child(path, "emoji"), "must be 1 to 64 bytes");
    return text;
}

// A list of { "t": T, "rect": [x, y, w, h] } under `key`.
std::vector<ProjectKeyframe> timedRects(const Json& v, const std::string& key,
                                        const std::string& path) {
    std::vector<ProjectKeyframe> list;
    const Json* ks = optionalMember(v, key);
    if (!ks) return list;
    std::string p = child(path, key);
    array(*ks, p);
    for (size_t i = 0; i < ks->size(); ++i) {
        std::string kp = element(p, i);
        const Json& k = object((*ks)[i], kp);
        onlyKeys(k, kp, {"t", "rect"});
        list.push_back({time(member(k, "t", kp), child(kp, "t")),
                        rect(member(k, "rect", kp), child(kp, "rect"))});
    }
    return list;
}

// The optional key "type", a case name that `fromName` knows; `fallback` when absent.
template <typename T>
T typeNamed(const Json& obj, const std::string& path,
            std::optional<T> (*fromName)(std::string_view), const std::string& kind, T fallback) {
    const Json* t = optionalMember(obj, "type");
    if (!t) return fallback;
    auto name = string(*t, child(path, "type"));
    auto type = fromName(name);
    if (!type) fail(child(path, "type"), "unknown " + kind + " type" + shown(name));
    return *type;
}

ProjectShape shape(const Json& v, const std::string& path) {
    object(v, path);
    onlyKeys(
        v, path,
        {"type", "style", "intensity", "softness", "emoji", "trim", "maxEnd", "rect", "keyframes"});
    ProjectShape s;
    s.type = typeNamed(v, path, coverFromName, "shape", s.type);
    s.look = look(v, path, ProjectStyle{});
    s.emoji = emoji(v, path);
    trim(v, path, s.trimStart, s.trimEnd);
    s.maxEnd = optionalTime(v, "maxEnd", path);
    s.rect = rect(member(v, "rect", path), child(path, "rect"));
    s.keyframes = timedRects(v, "keyframes", path);
    return s;
}

ProjectRegion region(const Json& v, const std::string& path) {
    object(v, path);
    onlyKeys(
        v, path,
        {"type", "style", "intensity", "softness", "scale", "emoji", "trim", "trimmed", "samples"});
    ProjectRegion r;
    r.type = typeNamed(v, path, coverFromName, "region", r.type);
    r.look = look(v, path, ProjectStyle{});
    if (const Json* s = optionalMember(v, "scale"))
        r.scale = number(*s, child(path, "scale"), 0.01, 100);
    r.emoji = emoji(v, path);
    trim(v, path, r.trimStart, r.trimEnd);
    if (const Json* t = optionalMember(v, "trimmed")) {
        if (!t->is_boolean()) fail(child(path, "trimmed"), "must be true or false");
        r.trimmed = t->get<bool>();
    }
    r.samples = timedRects(v, "samples", path);
    return r;
}

std::vector<ProjectRegion> regions(const Json& doc, const std::string& key) {
    std::vector<ProjectRegion> list;
    if (const Json* v = optionalMember(doc, key)) {
        array(*v, key);
        atMost(*v, PROJECT_MAX_REGIONS, key, "regions");
        for (size_t i = 0; i < v->size(); ++i) list.push_back(region((*v)[i], element(key, i)));
    }
    return list;
}

ProjectDocument document(const Json& doc) {
    object(doc, "");
    onlyKeys(doc, "", {"veilcut", "source", "background", "faces", "objects", "shapes"});
    if (integer(member(doc, "veilcut", ""), "veilcut", 0, std::numeric_limits<int32_t>::max()) !=
        PROJECT_FORMAT_VERSION)
        fail("veilcut", "unsupported project format version (this Veilcut reads version 1)");
    ProjectDocument d;
    d.source = string(member(doc, "source", ""), "source");
    if (d.source.empty()) fail("source", "must not be empty");
    // A file name ends at a NUL: the rest would be silently dropped when the file is opened.
    if (d.source.find('\0') != std::string::npos)
        fail("source", "must not contain a NUL character");
    if (const Json* bg = optionalMember(doc, "background")) {
        object(*bg, "background");
        onlyKeys(*bg, "background", {"style", "intensity", "softness"});
        d.background = look(*bg, "background", d.background);
    }
    d.faces = regions(doc, "faces");
    d.objects = regions(doc, "objects");
    if (const Json* shapes = optionalMember(doc, "shapes")) {
        array(*shapes, "shapes");
        atMost(*shapes, PROJECT_MAX_SHAPES, "shapes", "shapes");
        for (size_t i = 0; i < shapes->size(); ++i)
            d.shapes.push_back(shape((*shapes)[i], element("shapes", i)));
    }
    return d;
}

// Checks a document's syntax and nesting before it is built. The parser's own per-value
// callback, the other way to stop deep documents early, takes time in the square of an array's
// length; this pass is linear.
class SyntaxCheck final : public Json::json_sax_t {
public:
    std::string error;  // set when the check stops

    bool null() override { return true; }
    bool boolean(bool) override { return true; }
    bool number_integer(number_integer_t) override { return true; }
    bool number_unsigned(number_unsigned_t) override { return true; }
    bool number_float(number_float_t, const string_t&) override { return true; }
    bool string(string_t&) override { return true; }
    bool binary(binary_t&) override { return true; }
    bool key(string_t&) override { return true; }
    bool start_object(std::size_t) override { return enter(); }
    bool start_array(std::size_t) override { return enter(); }
    bool end_object() override { return leave(); }
    bool end_array() override { return leave(); }

    // The library's message would quote the offending token, which can be megabytes long.
    bool parse_error(std::size_t position, const std::string&,
                     const nlohmann::detail::exception& e) override {
        const auto* syntax = dynamic_cast<const Json::parse_error*>(&e);
        const std::string at =
            " (at byte " + std::to_string(syntax ? syntax->byte : position) + ")";
        error =
            syntax ? "document: not valid JSON" + at : "document: a number is out of range" + at;
        return false;
    }

private:
    bool enter() {
        if (++depth_ <= PROJECT_MAX_DEPTH) return true;
        error = "document: nested too deeply";
        return false;
    }
    bool leave() {
        --depth_;
        return true;
    }

    int depth_ = 0;
};

}  // namespace

MediaTime resolveProjectTime(const ProjectTime& t, int32_t timescale) {
    if (auto* exact = std::get_if<MediaTime>(&t)) return *exact;
    return MediaTime::fromSeconds(std::get<double>(t), timescale);
}

ProjectReadResult parseProject(std::string_view text) {
    if (text.size() > PROJECT_MAX_BYTES) return {std::nullopt, "document: larger than 16 MiB"};
    try {
        SyntaxCheck check;
        if (!Json::sax_parse(text.begin(), text.end(), &check))
            return {std::nullopt, check.error.empty() ? "document: not valid JSON" : check.error};
        return {document(Json::parse(text.begin(), text.end())), {}};
    } catch (const Fault& f) {
        return {std::nullopt, f.message};
    } catch (const std::bad_alloc&) {
        return {std::nullopt, "document: too large to hold in memory"};
    } catch (const std::exception&) {
        // The library's own messages may quote any amount of the document.
        return {std::nullopt, "document: cannot be read"};
    }
}

ProjectReadResult readProjectFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {std::nullopt, path + ": cannot be read"};
    std::string text;
    char buffer[65536];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        text.append(buffer, size_t(in.gcount()));
        if (text.size() > PROJECT_MAX_BYTES) return {std::nullopt, path + ": larger than 16 MiB"};
    }
    auto result = parseProject(text);
    if (!result.document) result.error = path + ": " + result.error;
    return result;
}
