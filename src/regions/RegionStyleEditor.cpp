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

void RegionStyleEditor::setScale(double value) {
    ObjectDetected* region = selectedRegion();
    if (!region) return;
    region->scale = value;
    changed();
}

RegionLook* RegionStyleEditor::selectedLook() {
    return selectedRegion();
}
