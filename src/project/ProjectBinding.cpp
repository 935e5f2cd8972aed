#include "project/ProjectBinding.h"

#include "background/CBackground.h"
#include "core/AssetHandler.h"
#include "core/CEdit.h"
#include "shapes/CShape.h"
#include "shapes/EmojiCatalogue.h"

namespace {

std::string shapePath(size_t i, const char* key) {
    return "shapes[" + std::to_string(i) + "]." + key;
}

}  // namespace

std::optional<std::string> applyProject(const ProjectDocument& document, const AssetHandler& source,
                                        CEdit& edit) {
    auto duration = source.duration();
    if (!duration || !duration->isNumeric()) return "source: the video's duration is unknown";
    int32_t timescale = duration->timescale;
    auto resolve = [&](const std::optional<ProjectTime>& t, MediaTime fallback) {
        return t ? resolveProjectTime(*t, timescale) : fallback;
    };
    std::string firstEmoji;
    if (auto list = emojiList(); !list.empty()) firstEmoji = list.front();

    std::vector<ShapeModel> shapes;
    for (size_t i = 0; i < document.shapes.size(); ++i) {
        const ProjectShape& s = document.shapes[i];
        MediaTime start = resolve(s.trimStart, MediaTime(0, timescale));
        MediaTime end = resolve(s.trimEnd, *duration);
        MediaTime maxEnd = resolve(s.maxEnd, std::max(*duration, end));
        if (end > maxEnd) return shapePath(i, "trim") + ": end must not be after maxEnd";
        ShapeModel shape(MediaTimeRange{start, end - start}, s.rect,
                         s.emoji.empty() ? firstEmoji : s.emoji, source.isHDR());
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
