#include "session/ProjectBinding.h"

#include "background/BackgroundEditor.h"
#include "core/SourceVideo.h"
#include "faces/FaceEditor.h"
#include "objects/ObjectEditor.h"
#include "regions/EmojiCatalogue.h"
#include "regions/TrackedRegion.h"
#include "session/EditSession.h"
#include "shapes/ShapeEditor.h"

namespace {

std::string shapePath(size_t i, const char* key) {
    return "shapes[" + std::to_string(i) + "]." + key;
}

// Made once: the catalogue is fixed, and building it for every region of a large project
// would cost more than the rest of loading.
const std::string& firstEmoji() {
    static const std::string first = [] {
        auto list = emojiList();
        return list.empty() ? std::string() : list.front();
    }();
    return first;
}

}  // namespace

TrackedRegion regionFromProject(const ProjectRegion& r, const SourceVideo& source) {
    auto duration = source.duration().value_or(MediaTime::zero());
    int32_t timescale = duration.timescale > 0 ? duration.timescale : 600;
    std::vector<RegionSample> samples;
    for (const auto& s : r.samples) samples.push_back({resolveProjectTime(s.t, timescale), s.rect});
    TrackedRegion region(std::move(samples), Image(), r.emoji.empty() ? firstEmoji() : r.emoji,
                         r.type, source.isHDR());
    region.style.type = r.look.style;
    region.style.intensity = r.look.intensity;
    region.setSoftness(r.look.softness);
    region.scale = r.scale;
    region.updateTimeRange(duration, source.frameDuration());
    MediaTime start =
        r.trimStart ? resolveProjectTime(*r.trimStart, timescale) : region.trimTime.start;
    MediaTime end = r.trimEnd ? resolveProjectTime(*r.trimEnd, timescale) : region.trimTime.end();
    region.trimTime = {start, end - start};
    if (r.trimmed) region.keepUserTrim(region.trimTime);
    return region;
}

ProjectRegion projectRegion(const TrackedRegion& region) {
    ProjectRegion r;
    r.type = region.cover;
    r.look = {region.style.type, region.style.intensity, region.softness};
    r.scale = region.scale;
    r.emoji = region.emoji;
    r.trimStart = region.trimTime.start;
    r.trimEnd = region.trimTime.end();
    r.trimmed = region.trimmedByUser();
    for (const auto& s : region.samples) r.samples.push_back({s.timeStamp, s.nominalRect});
    return r;
}

std::optional<std::string> applyProject(const ProjectDocument& document, const SourceVideo& source,
                                        EditSession& edit) {
    auto duration = source.duration();
    if (!duration || !duration->isNumeric()) return "source: the video's duration is unknown";
    int32_t timescale = duration->timescale;
    auto resolve = [&](const std::optional<ProjectTime>& t, MediaTime fallback) {
        return t ? resolveProjectTime(*t, timescale) : fallback;
    };

    std::vector<Shape> shapes;
    for (size_t i = 0; i < document.shapes.size(); ++i) {
        const ProjectShape& s = document.shapes[i];
        MediaTime start = resolve(s.trimStart, MediaTime(0, timescale));
        MediaTime end = resolve(s.trimEnd, *duration);
        MediaTime maxEnd = resolve(s.maxEnd, std::max(*duration, end));
        if (end > maxEnd) return shapePath(i, "trim") + ": end must not be after maxEnd";
        Shape shape(MediaTimeRange{start, end - start}, s.rect,
                    s.emoji.empty() ? firstEmoji() : s.emoji, source.isHDR());
        shape.maxEndTime = maxEnd;
        shape.cover = s.type;
        shape.style.type = s.look.style;
        shape.style.intensity = s.look.intensity;
        shape.setSoftness(s.look.softness);
        for (const auto& k : s.keyframes)
            shape.appendKeyframe(resolveProjectTime(k.t, timescale), k.rect);
        shapes.push_back(std::move(shape));
    }

    edit.reset();
    RegionStyle background;
    background.type = document.background.style;
    background.intensity = document.background.intensity;
    edit.backgroundEditor().load(background, document.background.softness);
    std::vector<TrackedRegion> faces, objects;
    for (const auto& r : document.faces) faces.push_back(regionFromProject(r, source));
    for (const auto& r : document.objects) objects.push_back(regionFromProject(r, source));
    edit.faceEditor().load(std::move(faces));
    edit.objectEditor().load(std::move(objects));
    edit.shapeEditor().load(std::move(shapes));
    return std::nullopt;
}

ProjectDocument projectFromEdits(const EditSession& edit, const std::string& sourcePath) {
    ProjectDocument d;
    d.source = sourcePath;
    const BackgroundEditor& background = edit.backgroundEditor();
    d.background = {background.style().type, background.style().intensity, background.softness()};
    for (const TrackedRegion& face : edit.faceEditor().regions())
        d.faces.push_back(projectRegion(face));
    for (const TrackedRegion& object : edit.objectEditor().regions())
        d.objects.push_back(projectRegion(object));
    for (const Shape& shape : edit.shapeEditor().shapes()) {
        ProjectShape s;
        s.type = shape.cover;
        s.look = {shape.style.type, shape.style.intensity, shape.softness};
        s.emoji = shape.emoji;
        s.trimStart = shape.trimTime.start;
        s.trimEnd = shape.trimTime.end();
        s.maxEnd = shape.maxEndTime;
        s.rect = shape.defaultRect;
        for (const auto& k : shape.keyframes) s.keyframes.push_back({k.time, k.nominalRect});
        d.shapes.push_back(std::move(s));
    }
    return d;
}
