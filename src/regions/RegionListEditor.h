#pragma once
// What the face and object editors share: a list of tracked regions in drawing order (later
// ones over earlier ones), one of which the user selects for editing with a copy kept to go
// back to, the setters of how the selected region is hidden, its trim, and the stage that
// draws every region over each frame.
//
// The one rule in which the two differ is stated by the subclass: whether a trim the user sets
// marks the region as trimmed by the user. A face track so marked keeps that trim when the
// scan later finds more of the person; an object's span never grows, so it needs no mark.
//
// Threads: every operation runs on the main thread. After each change the editor publishes an
// immutable copy of the list; `render` (render threads) reads only that copy, so a frame sees
// one consistent state and never takes a lock. Every change of a region's look or trim ends
// with `updateFilter`.

#include <optional>
#include <vector>

#include "core/CurrentSource.h"
#include "core/FrameStage.h"
#include "core/StyleKind.h"
#include "platform/dispatch/NotificationCenter.h"
#include "platform/dispatch/SnapshotSlot.h"
#include "regions/LookEditor.h"
#include "regions/TrackedRegion.h"

// Fractions of the video: a region's trim and the tracked span its handles may not leave.
struct TrimFractions {
    double start = 0;
    double end = 1;
    double minStart = 0;
    double maxEnd = 1;
};

class RegionListEditor : public LookEditor, public FrameStage {
public:
    const std::vector<TrackedRegion>& regions() const { return regions_; }
    std::optional<int> selectedIndex() const { return selectedIndex_; }
    // A copy of the selected region is kept to go back to.
    bool isEditing() const { return editSnapshot_.has_value(); }

    // Replaces every region (loading a project) and publishes them; ends any edit. Posts
    // nothing.
    void load(std::vector<TrackedRegion> regions);
    // Selects region `index` for editing, keeping a copy of it to go back to, and posts the
    // editor's edit-began event. An index that is no region is ignored.
    void select(int index);
    // Puts the kept copy back and ends editing; posts the edit-ended event, then updateFilter.
    void cancelEdit();
    // Keeps the changes and ends editing; posts the edit-ended event.
    void finishEdit();

    // How the selected region is hidden; none without a selection.
    Cover selectedCover() const;
    // Each does nothing without a selection. A raw cover outside none...emoji is ignored.
    void setCover(int raw);
    void setStyle(StyleKind style);
    void setScale(double value);
    // Where the selected region's trim handles stand and how far they may go: fractions of the
    // video. None without a selection or while the video's duration is unknown.
    std::optional<TrimFractions> selectedTrimFractions() const;
    // A trim handle is being dragged: the selected region is shown over its whole tracked span
    // until `trim` or `cancelTrim`, without counting as trimmed by the user.
    void beginTrim();
    // Sets the selected region's trim to the fractions `from`...`to` of the video, never beyond
    // its tracked span; crossed handles give an empty trim. For a face this is the user's trim
    // (see TrackedRegion::keepUserTrim): a trim over the whole span leaves it untrimmed, so it
    // still grows with the person's later appearances.
    void trim(double from, double to);
    // Puts back the trim from before `beginTrim` (a drag given up).
    void cancelTrim();

    // The stage: every region drawn over `current`, styled from `source`. Any thread.
    std::optional<Image> render(const Image& source, const Image& current,
                                const FrameContext& context,
                                std::vector<Rect>* drawn) const override;

protected:
    enum class UserTrim { marksRegion, leavesRegionUnmarked };
    struct EditEvents {
        const NotificationName& began;
        const NotificationName& ended;
    };

    // `source` is the session's and outlives the editor.
    RegionListEditor(const CurrentSource& source, UserTrim userTrim, EditEvents events);
    ~RegionListEditor() = default;

    // Makes the current list what the renderer draws.
    void publish();
    // Publishes, then posts updateFilter.
    void changed() override;
    // Empties the list, the selection and the kept copy, and publishes. Posts nothing.
    void clear();
    // Ends editing without a word: no selection, no kept copy.
    void dropSelection();
    TrackedRegion* selectedRegion();
    const TrackedRegion* selectedRegion() const;

    const CurrentSource& source_;
    std::vector<TrackedRegion> regions_;

private:
    RegionLook* selectedLook() final { return selectedRegion(); }

    const UserTrim userTrim_;
    const EditEvents events_;
    std::optional<int> selectedIndex_;
    std::optional<TrackedRegion> editSnapshot_;
    // The selected region's trim while a handle is dragged, to put back when the drag is
    // given up.
    struct TrimBeforeDrag {
        MediaTimeRange trimTime;
        std::optional<MediaTime> userTrimStart;
        std::optional<MediaTime> userTrimEnd;
    };
    std::optional<TrimBeforeDrag> trimBeforeDrag_;
    SnapshotSlot<const std::vector<TrackedRegion>> snapshot_;
};
