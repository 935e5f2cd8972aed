#pragma once
// The background editor: the style, intensity and edge softness applied to everything but the
// people in each frame, the edit workflow with undo by snapshot, and the background stage of the
// per-frame chain (the first stage: the other regions are drawn over its result).
//
// Threads: every operation but `render` runs on the main thread. After each change the
// editor publishes an immutable copy of its style and softness; `render` (render threads)
// reads only that copy, so a frame sees one consistent state and never waits for an edit. The
// segmenter pool behind it is shared by the render threads (PersonSegmentation).

#include <atomic>
#include <memory>
#include <optional>
#include "platform/dispatch/SnapshotSlot.h"

#include "background/PersonSegmentation.h"
#include "core/FrameStage.h"
#include "core/RegionStyle.h"
#include "platform/image/Image.h"

class BackgroundEditor : public FrameStage {
public:
    // Segmenters from the model cache.
    BackgroundEditor();
    // Segmenters made by `segmenters` (tests count and fake them).
    explicit BackgroundEditor(PersonSegmentation::SegmenterFactory segmenters);

    // The style (`normal` means the tool is off) and the softness of the people's outline
    // (the blur sigma is softness × 20).
    const RegionStyle& style() const { return style_; }
    double softness() const { return softness_; }
    // The style and softness from when editing began are kept to go back to.
    bool isEditing() const { return editSnapshotStyle_.has_value(); }
    const PersonSegmentation& segmentation() const { return segmentation_; }

    // Sets the style and softness (loading a project) and publishes them. Posts nothing.
    void load(RegionStyle style, double softness);
    // Style `normal`, intensity 0.5, softness 0. Posts nothing.
    void resetBackground();
    // Keeps the current style and softness for a cancel and posts `onEditBackground` with the
    // tapped button's index. A second call while editing replaces the kept state.
    void beginBackgroundEdit(int index);
    // Puts the kept state back (when there is one), ends editing; posts `offEditBackground`,
    // then `updateFilter`.
    void cancelBackgroundEdit();
    // Keeps the changes and ends editing; posts `offEditBackground`.
    void endBackgroundEdit();

    // The background panel's controls; each posts `updateFilter`.
    void setStyle(StyleKind type);
    void setIntensity(double value);  // clamped to 0...1; a NaN is ignored
    void setSoftness(double value);   // as given; the stage treats what is not a softness as 0

    // The background stage, the first of the chain: the people cut out of `source` laid over
    // the styled `source`, drawn over the whole frame. The source itself when the style is
    // `normal` (no segmentation runs) and whenever a step yields nothing, so never empty. Any
    // thread.
    std::optional<Image> render(const Image& source, const Image& current,
                                const FrameContext& context,
                                std::vector<Rect>* drawn) const override;

private:
    struct Look {
        RegionStyle style;
        double softness;
    };
    // Makes the current style and softness what the renderer draws.
    void publish();
    void changed();  // publish, then post updateFilter
    Image styledBackground(const Image& source) const;

    PersonSegmentation segmentation_;
    RegionStyle style_;
    double softness_ = 0;
    std::optional<RegionStyle> editSnapshotStyle_;
    std::optional<double> editSnapshotSoftness_;
    SnapshotSlot<const Look> snapshot_;
};
