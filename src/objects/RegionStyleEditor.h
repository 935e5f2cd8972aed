#pragma once
// How the selected region of a region list (faces, tracked objects) is hidden: the setters
// the face and object editors share. Each does nothing without a selected region; every
// change ends with the editor's `changed` (publish, then updateFilter).
//
// Threads: main thread, like the editors.

#include <string>

#include "core/ModelFilterType.h"

class ObjectDetected;

class RegionStyleEditor {
public:
    // A raw blur type outside none...emoji is ignored.
    void setBlurType(int raw);
    void setStyle(ModelFilterType style);
    // Clamped to 0...1; not a number is ignored.
    void setIntensity(double value);
    void setSoftness(double value);
    void setScale(double value);
    void setEmoji(const std::string& emoji);

protected:
    ~RegionStyleEditor() = default;

private:
    virtual ObjectDetected* selectedRegion() = 0;
    virtual void changed() = 0;
};
