#pragma once
// How the selected region of a region list (faces, tracked objects) is hidden: the setters
// the face and object editors share, beyond those of every look (LookEditor). Each does
// nothing without a selected region; every change ends with the editor's `changed` (publish,
// then updateFilter).
//
// Threads: main thread, like the editors.

#include "core/StyleKind.h"
#include "regions/LookEditor.h"

class TrackedRegion;

class RegionStyleEditor : public LookEditor {
public:
    // A raw blur type outside none...emoji is ignored.
    void setCover(int raw);
    void setStyle(StyleKind style);
    void setScale(double value);

protected:
    ~RegionStyleEditor() = default;

private:
    virtual TrackedRegion* selectedRegion() = 0;
    RegionLook* selectedLook() final;
};
