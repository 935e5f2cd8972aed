#include "project/ProjectBinding.h"

#include "background/CBackground.h"
#include "core/AssetHandler.h"
#include "core/CEdit.h"
#include "faces/CFace.h"
#include "objects/CObject.h"
#include "objects/ObjectDetected.h"
#include "shapes/CShape.h"
#include "shapes/EmojiCatalogue.h"

namespace {

std::string shapePath(size_t i, const char* key) {
    return "shapes[" + std::to_string(i) + "]." + key;
}

std::string firstEmoji() {
    auto list = emojiList();
    return list.empty() ? std::string() : list.front();
}

}  // namespace

ObjectDetected regionFromProject(const ProjectRegion& r, const AssetHandler& source) {
    auto duration = source.duration().value_or(MediaTime::zero());
    int32_t timescale = duration.timescale > 0 ? duration.timescale : 600;
    std::vector<ObjectInFor> samples;
    for (const auto& s : r.samples) samples.push_back({resolveProjectTime(s.t, timescale), s.rect});
    ObjectDetected region(std::move(samples), Image(), r.emoji.empty() ? firstEmoji() : r.emoji,
                          r.type, source.isHDR());
    region.modelFilterManager.type = r.look.style;
    region.modelFilterManager.current = r.look.intensity;
    region.setSoftness(r.look.softness);
    region.scale = r.scale;
    region.updateTimeRange(duration, source.frameDuration());
    MediaTime start =
        r.trimStart ? resolveProjectTime(*r.trimStart, timescale) : region.trimTime.start;
    MediaTime end = r.trimEnd ? resolveProjectTime(*r.trimEnd, timescale) : region.trimTime.end();
    region.trimTime = {start, end - start};
    region.alreadyChangeTrimtime = r.trimmed;
    return region;
}

ProjectRegion projectRegion(const ObjectDetected& region) {
    ProjectRegion r;
    r.type = region.objectBlurType;
    r.look = {region.modelFilterManager.type, region.modelFilterManager.current, region.softness};
    r.scale = region.scale;
    r.emoji = region.emoji;
    r.trimStart = region.trimTime.start;
    r.trimEnd = region.trimTime.end();
    r.trimmed = region.alreadyChangeTrimtime;
    for (const auto& s : region.objectInfor) r.samples.push_back({s.timeStamp, s.nominalRect});
    return r;
}

std::optional<std::string> applyProject(const ProjectDocument& document, const AssetHandler& source,
                                        CEdit& edit) {
    auto duration = source.duration();
    if (!duration || !duration->isNumeric()) return "source: the video's duration is unknown";
    int32_t timescale = duration->timescale;
    auto resolve = [&](const std::optional<ProjectTime>& t, MediaTime fallback) {
        return t ? resolveProjectTime(*t, timescale) : fallback;
    };

    std::vector<ShapeModel> shapes;
    for (size_t i = 0; i < document.shapes.size(); ++i) {
        const ProjectShape& s = document.shapes[i];
        MediaTime start = resolve(s.trimStart, MediaTime(0, timescale));
        MediaTime end = resolve(s.trimEnd, *duration);
        MediaTime maxEnd = resolve(s.maxEnd, std::max(*duration, end));
        if (end > maxEnd) return shapePath(i, "trim") + ": end must not be after maxEnd";
        ShapeModel shape(MediaTimeRange{start, end - start}, s.rect,
                         s.emoji.empty() ? firstEmoji() : s.emoji, source.isHDR());
        shape.maxEndTime = maxEnd;
        shape.shapeBlurType = s.type;
        shape.modelFilterManager.type = s.look.style;
        shape.modelFilterManager.current = s.look.intensity;
        shape.setSoftness(s.look.softness);
        for (const auto& k : s.keyframes)
            shape.appendKeyframe(resolveProjectTime(k.t, timescale), k.rect);
        shapes.push_back(std::move(shape));
    }

    edit.reset();
    CBackground& background = edit.cBackground();
    background.modelFilterManager.type = document.background.style;
    background.modelFilterManager.current = document.background.intensity;
    background.softness = document.background.softness;
    background.publish();
    CFace& faceEditor = edit.cFace();
    for (const auto& r : document.faces) faceEditor.objects.push_back(regionFromProject(r, source));
    faceEditor.publish();
    CObject& objectEditor = edit.cObject();
    for (const auto& r : document.objects)
        objectEditor.objects.push_back(regionFromProject(r, source));
    objectEditor.publish();
    CShape& shapeEditor = edit.cShape();
    shapeEditor.shapes = std::move(shapes);
    shapeEditor.publish();
    return std::nullopt;
}

ProjectDocument projectFromEdits(CEdit& edit, const std::string& sourcePath) {
    ProjectDocument d;
    d.source = sourcePath;
    const CBackground& background = edit.cBackground();
    d.background = {background.modelFilterManager.type, background.modelFilterManager.current,
                    background.softness};
    for (const ObjectDetected& face : edit.cFace().objects) d.faces.push_back(projectRegion(face));
    for (const ObjectDetected& object : edit.cObject().objects)
        d.objects.push_back(projectRegion(object));
    for (const ShapeModel& shape : edit.cShape().shapes) {
        ProjectShape s;
        s.type = shape.shapeBlurType;
        s.look = {shape.modelFilterManager.type, shape.modelFilterManager.current, shape.softness};
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
