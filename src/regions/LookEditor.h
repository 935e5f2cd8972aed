#pragma once
// The setters every editor of hidden regions shares (shapes, faces, tracked objects): how the
// selected region's look is hidden. Each does nothing without a selection; every change ends
// with the editor's `changed` (publish, then updateFilter).
//
// Threads: main thread, like the editors.

#include <string>

class RegionLook;

class LookEditor {
public:
    // Clamped to 0...1; not a number is ignored.
    void setIntensity(double value);
    void setSoftness(double value);
    void setEmoji(const std::string& emoji);

protected:
    ~LookEditor() = default;
    virtual void changed() = 0;

private:
    virtual RegionLook* selectedLook() = 0;
};
