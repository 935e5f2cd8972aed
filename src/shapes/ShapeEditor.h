#pragma once
// The shape editor: the list of hand-placed shapes (list order is drawing order), the selection,
// the add and edit workflow with undo by snapshot, keyframes and trims, and the shape stage of
// the per-frame chain.
//
// Threads: every operation runs on the main thread. After each change the editor publishes an
// immutable copy of the shape list; `render` (render threads) reads only that copy, so a
// frame sees one consistent state and never takes a lock.
// Rects handed in by the interface are normalised with the origin at the top-left.

#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <vector>
#include "platform/dispatch/SnapshotSlot.h"

#include "core/CurrentSource.h"
#include "core/FrameStage.h"
#include "platform/image/Image.h"
#include "platform/time/MediaTime.h"
#include "regions/LookEditor.h"
#include "shapes/Shape.h"

class ShapeEditor : public LookEditor, public FrameStage {
public:
    using ShapeList = std::vector<Shape>;

    // `source` is the session's: new shapes span its duration; it outlives the editor.
    explicit ShapeEditor(const CurrentSource& source);

    // The shapes in drawing order, and the one selected for editing (if any).
    const ShapeList& shapes() const { return shapes_; }
    std::optional<int> selectedShapeIndex() const { return selectedShapeIndex_; }
    // The selected shape was just added: cancelling removes it.
    bool isAddingShape() const { return addingShape_; }
    // A copy of the selected shape is kept to go back to.
    bool isEditing() const { return editingShape_.has_value(); }
    std::optional<int> selectedKeyframeIndex() const { return selectedKeyframeIndex_; }

    // Replaces every shape (loading a project) and publishes them; ends any edit. Posts
    // nothing.
    void load(ShapeList shapes);
    void reset();
    // The keyframe the keyframe operations act on. Posts nothing.
    void selectKeyframe(std::optional<int> index);

    // Adds a shape and starts editing it; nothing once the list holds MAX_SHAPES (a project
    // with more could not be opened again).
    void insertShape(const Rect& topLeftRect);
    void removeNewShape();
    void selectShape(int index);
    void cancelEditing();
    void finishEditing();
    void removeSelectedShape();
    void insertKeyframe(const MediaTime& time, const Rect& topLeftRect);
    void removeSelectedKeyframe();
    void updateSelectedKeyframe(const Rect& topLeftRect);
    void moveKeyframe(int index, double fraction);
    void changeTrimStart(double fraction);
    void changeTrimEnd(double fraction);
    void setCover(int raw);
    Cover selectedCover() const;

    // The shape stage of the chain; any thread. Never nothing: with no shapes, `current`.
    std::optional<Image> render(const Image& source, const Image& current,
                                const FrameContext& context,
                                std::vector<Rect>* drawn) const override;

private:
    Shape* selectedShape();
    const Shape* selectedShape() const;
    RegionLook* selectedLook() override { return selectedShape(); }
    void changed() override;  // publish, then post updateFilter
    // Makes the current list what the renderer draws.
    void publish();

    const CurrentSource& source_;
    ShapeList shapes_;
    std::optional<int> selectedShapeIndex_;
    bool addingShape_ = false;
    std::optional<Shape> editingShape_;
    std::optional<int> selectedKeyframeIndex_;
    SnapshotSlot<const ShapeList> snapshot_;
};
