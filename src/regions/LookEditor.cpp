#include "shapes/LookEditor.h"

#include "shapes/RegionLook.h"

void LookEditor::setIntensity(double value) {
    RegionLook* look = selectedLook();
    if (look && look->modelFilterManager.setIntensity(value)) changed();
}

void LookEditor::setSoftness(double value) {
    RegionLook* look = selectedLook();
    if (!look) return;
    look->setSoftness(value);
    changed();
}

void LookEditor::setEmoji(const std::string& emoji) {
    RegionLook* look = selectedLook();
    if (!look) return;
    look->setEmoji(emoji);
    changed();
}
