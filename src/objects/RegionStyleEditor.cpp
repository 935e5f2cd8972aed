#include "objects/RegionStyleEditor.h"

#include "objects/ObjectDetected.h"

void RegionStyleEditor::setBlurType(int raw) {
    auto type = objectBlurTypeFromRaw(raw);
    ObjectDetected* region = selectedRegion();
    if (!type || !region) return;
    region->objectBlurType = *type;
    changed();
}

void RegionStyleEditor::setStyle(ModelFilterType style) {
    ObjectDetected* region = selectedRegion();
    if (!region) return;
    region->modelFilterManager.type = style;
    changed();
}

void RegionStyleEditor::setIntensity(double value) {
    ObjectDetected* region = selectedRegion();
    if (region && region->modelFilterManager.setIntensity(value)) changed();
}

void RegionStyleEditor::setSoftness(double value) {
    ObjectDetected* region = selectedRegion();
    if (!region) return;
    region->setSoftness(value);
    changed();
}

void RegionStyleEditor::setScale(double value) {
    ObjectDetected* region = selectedRegion();
    if (!region) return;
    region->scale = value;
    changed();
}

void RegionStyleEditor::setEmoji(const std::string& emoji) {
    ObjectDetected* region = selectedRegion();
    if (!region) return;
    region->setEmoji(emoji);
    changed();
}
