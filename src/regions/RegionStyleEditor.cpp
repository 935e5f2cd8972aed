#include "regions/RegionStyleEditor.h"

#include "regions/TrackedRegion.h"

void RegionStyleEditor::setCover(int raw) {
    auto type = coverFromRaw(raw);
    TrackedRegion* region = selectedRegion();
    if (!type || !region) return;
    region->cover = *type;
    changed();
}

void RegionStyleEditor::setStyle(StyleKind style) {
    TrackedRegion* region = selectedRegion();
    if (!region) return;
    region->style.type = style;
    changed();
}

void RegionStyleEditor::setScale(double value) {
    TrackedRegion* region = selectedRegion();
    if (!region) return;
    region->scale = value;
    changed();
}

RegionLook* RegionStyleEditor::selectedLook() {
    return selectedRegion();
}
