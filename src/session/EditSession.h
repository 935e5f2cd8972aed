#pragma once
// The edit state of the one video being edited: tool, playhead, play state, preview zoom, the
// export cancel flag, and the four region editors (made on first use, never destroyed).
//
// Threads: everything is main-thread state, except `cancelExport` (atomic; the export's
// worker reads it) and `applyBlurs`, which the render threads call; the editors' stages read
// only immutable snapshots, so a frame sees one consistent edit state.

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "session/EditTool.h"
#include "platform/time/MediaTime.h"
#include "platform/image/Geometry.h"
#include "core/RenderPurpose.h"
#include "platform/image/Image.h"
#include "render/ExportJob.h"

class FaceEditor;
class ObjectEditor;
class BackgroundEditor;
class ShapeEditor;

class EditSession {
public:
    static EditSession& shared();
    ~EditSession();

    EditTool tool = EditTool::preview;
    MediaTime playhead = MediaTime::zero();
    bool isPlay = false;
    double zoomScale = 1.0;
    Point contentOffset;
    std::atomic<bool> cancelExport{false};

    FaceEditor& faceEditor();
    ObjectEditor& objectEditor();
    BackgroundEditor& backgroundEditor();
    ShapeEditor& shapeEditor();

    // Back to the initial state (all but `cancelExport`), emptying every editor. Posts nothing.
    void reset();
    // Moves the playhead to a fraction (clamped to 0...1) of the source's duration and posts
    // `timeChange`; does nothing while the duration is unknown or for a fraction that is NaN.
    void seek(double toFraction);
    // Sets the tool for a tool-bar index, stops playback, posts `playStatusChange` then
    // `toolChange`. An index that is no tool is ignored.
    void selectTool(int index);
    // The per-frame chain: background, faces, objects, shapes. A stage that yields nothing
    // drops every blur of the frame: the source comes back unchanged. When `drawn` is given it
    // is set to areas outside which the result equals `image` (the whole frame once the
    // background is styled). Any thread.
    Image applyBlurs(const Image& image, const MediaTime& time, RenderPurpose purpose,
                     std::vector<Rect>* drawn = nullptr);
    // Exports the current source with every edit (Exporter); returns at once. Waits on the
    // background queue for the face scan first. `progress` gets the overall fraction: 0 to s
    // while the scan finishes, s to 1 while writing, s = half of what the scan had left.
    // `completion` gets the file or the reason for a failure (also when there is no source);
    // setting `cancelExport` or calling Exporter's cancel ends it with no file and no call.
    // Both are delivered on the main queue. The file goes to `folder`, or to Exporter's own
    // scratch folder when it is empty. Main thread.
    void exportVideo(ExportProgress progress, ExportCompletion completion, std::string folder = {});
    // True from `exportVideo` until its export has ended and cleaned up, including the wait
    // for the face scan before the file is made. Any thread.
    bool isExporting() const;

private:
    EditSession() = default;
    // Exports between `exportVideo` and the hand-over to Exporter (or their early end).
    std::atomic<int> startingExports_{0};
    template <typename T>
    struct Lazy {
        std::once_flag once;
        std::unique_ptr<T> editor;
        T& get();
    };
    Lazy<FaceEditor> face_;
    Lazy<ObjectEditor> object_;
    Lazy<BackgroundEditor> background_;
    Lazy<ShapeEditor> shape_;
};
