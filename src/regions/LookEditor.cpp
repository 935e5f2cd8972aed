#include "regions/LookEditor.h"

#include "regions/RegionLook.h"

void LookEditor::setIntensity(double value) {
    RegionLook* look = selectedLook();
    if (look && look->style.setIntensity(value)) changed();
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
