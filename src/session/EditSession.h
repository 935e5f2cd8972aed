#pragma once
// The one video being edited: its source, the four editors, the tool, playhead, play state and
// preview zoom, the per-frame chain and the export. A front end (the command line, the editor
// window) makes one and passes it by reference; nothing here is global.
//
// Threads: everything is main-thread state, except `cancelExport` (atomic; the export's
// worker reads it), `source` and `renderFrame`, which the render threads call: the editors'
// stages read only immutable snapshots, so a frame sees one consistent edit state. The
// destructor cancels the scan, tracking and export, and waits for the export's worker to let
// go of the session.

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "background/BackgroundEditor.h"
#include "core/CurrentSource.h"
#include "core/RenderPurpose.h"
#include "faces/FaceEditor.h"
#include "objects/ObjectEditor.h"
#include "platform/files/OutputFile.h"
#include "platform/image/Geometry.h"
#include "platform/image/Image.h"
#include "platform/time/MediaTime.h"
#include "render/ExportJob.h"
#include "session/EditTool.h"
#include "session/ExportHandle.h"
#include "session/Exporter.h"
#include "shapes/ShapeEditor.h"

class EditSession {
public:
    EditSession();
    ~EditSession();
    EditSession(const EditSession&) = delete;
    EditSession& operator=(const EditSession&) = delete;

    EditTool tool = EditTool::preview;
    MediaTime playhead = MediaTime::zero();
    bool isPlay = false;
    double zoomScale = 1.0;
    Point contentOffset;
    std::atomic<bool> cancelExport{false};

    FaceEditor& faceEditor() { return faces_; }
    ObjectEditor& objectEditor() { return objects_; }
    BackgroundEditor& backgroundEditor() { return background_; }
    ShapeEditor& shapeEditor() { return shapes_; }
    const FaceEditor& faceEditor() const { return faces_; }
    const ObjectEditor& objectEditor() const { return objects_; }
    const BackgroundEditor& backgroundEditor() const { return background_; }
    const ShapeEditor& shapeEditor() const { return shapes_; }
    Exporter& exporter() { return exporter_; }

    // The video being edited; null until one is set. Any thread.
    std::shared_ptr<SourceVideo> source() const { return source_.get(); }
    // Empties every editor (see `reset`), then makes `source` the video being edited.
    void setSource(std::shared_ptr<SourceVideo> source);
    // Opens the video at `path` as the one being edited, every editor emptied, once its facts
    // have loaded. The one-line reason when it cannot be edited (unreadable, no video track),
    // or nothing. Main thread; blocks while the facts load (a probe of the file).
    std::optional<std::string> openSource(const std::string& path);
    // Opens a project: reads and checks the document, opens its source (named relative to the
    // project's folder) and fills the editors from it. The one-line reason, or nothing.
    std::optional<std::string> openProject(const std::string& projectPath);
    // Writes the current edits to `projectPath`, naming the source relative to the project's
    // folder, under the rules of OutputFile: never over the source video, over an existing file
    // only with `overwrite` (the project it was opened from is saved that way). The one-line
    // reason it could not be written, or nothing. Main thread.
    std::optional<std::string> saveProject(const std::string& projectPath,
                                           bool overwrite = false) const;
    // The files the session reads: its source video and the project it was opened from, if any.
    // No output may land on them. Main thread.
    std::vector<FileInUse> filesInUse() const;
    // Scans the source for faces (see FaceEditor::startFaceScan) as far as `reach` says. Main
    // thread.
    void startFaceScan(FaceScanReach reach = FaceScanReach::careful,
                       std::function<void(const std::string&)> onFailure = {});
    // Back to the initial state (all but `cancelExport` and the source), emptying every editor.
    // Posts nothing.
    void reset();
    // Moves the playhead to a fraction (clamped to 0...1) of the source's duration and posts
    // `timeChange`; does nothing while the duration is unknown or for a fraction that is NaN.
    void seek(double toFraction);
    // Cancel and done of the editing screen: every editor puts back (or keeps) what it was
    // editing, in the order faces, objects, background, shapes. Main thread.
    void cancelEdits();
    void finishEdits();
    // Sets the tool for a tool-bar index, stops playback, posts `playStatusChange` then
    // `toolChange`. An index that is no tool is ignored.
    void selectTool(int index);
    // The per-frame chain: background, faces, objects, shapes. A stage that yields nothing
    // drops every edit of the frame: the source comes back unchanged. When `drawn` is given it
    // is set to areas outside which the result equals `image` (the whole frame once the
    // background is styled). Any thread.
    Image renderFrame(const Image& image, const MediaTime& time, RenderPurpose purpose,
                      std::vector<Rect>* drawn = nullptr) const;
    // Exports the current source with every edit; returns at once. Waits on the background
    // queue for the face scan first, when one is under way or has reported. `progress` gets the
    // overall fraction: 0 to s while the scan finishes, s to 1 while writing, s = half of what the
    // scan had left. `completion` gets the file or the reason for a failure (also when there is no
    // source); setting `cancelExport` or calling the exporter's cancel ends it with no file and no
    // call. Both are delivered on the main queue. The file goes beside `destination` (the file
    // the caller will rename it to, which error lines then name), or to the exporter's own
    // scratch folder when that is empty. `ended` is posted once the export has ended and let go
    // of the session, whatever the outcome. Main thread.
    void exportVideo(ExportProgress progress, ExportCompletion completion,
                     std::string destination = {}, std::function<void()> ended = {});
    // True from `exportVideo` until its export has ended and cleaned up, including the wait
    // for the face scan before the file is made. Any thread.
    bool isExporting() const;
    // Exports the source with every edit to `outputPath` under the rules of OutputFile,
    // through a temporary file renamed into place when complete (see ExportHandle). Main
    // thread.
    std::shared_ptr<ExportHandle> exportTo(const std::string& outputPath, ExportOptions options);
    // Expires when the session is destroyed: what may outlive it (an export handle) reaches it
    // through this. Main thread.
    std::weak_ptr<EditSession*> lifetime() const { return lifetime_; }

private:
    std::shared_ptr<EditSession*> lifetime_ = std::make_shared<EditSession*>(this);
    std::string projectPath_;  // the project the edits were opened from; empty for a video
    CurrentSource source_;
    FaceEditor faces_{source_};
    ObjectEditor objects_{source_};
    BackgroundEditor background_;
    ShapeEditor shapes_{source_};
    // In chain order.
    const FrameStage* const stages_[4] = {&background_, &faces_, &objects_, &shapes_};
    Exporter exporter_;
    // Exports between `exportVideo` and the hand-over to the exporter (or their early end).
    std::atomic<int> startingExports_{0};
};
