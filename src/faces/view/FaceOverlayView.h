#pragma once
// The face tool's layer over the preview: the scan's progress while it has not reached the
// playhead, then a box around each face shown at the playhead (the selected one in the
// selection colour), or "No Face Detected" after a scan that found nobody. A click on a box
// selects that face for editing; clicks elsewhere go through to the preview (pan). Boxes follow
// the playhead, the scan's reports and the preview's zoom and pan. GUI thread.

#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "platform/dispatch/NotificationCenter.h"
#include "platform/time/MediaTime.h"
#include "regions/PreviewPlacement.h"

class FaceEditor;
class SourceVideo;

// What the overlay shows, as the editing screen sees it.
struct FaceOverlayInput {
    FaceEditor* faces = nullptr;  // null: nothing is shown
    std::function<bool()> faceToolChosen;
    std::function<MediaTime()> playhead;
    std::function<std::shared_ptr<SourceVideo>()> source;
};

class FaceOverlayView : public QWidget {
    Q_OBJECT
public:
    // Covers `preview`; `placement` says where the video is on it at the moment.
    FaceOverlayView(QWidget* preview, std::function<PreviewPlacement()> placement);
    ~FaceOverlayView() override;
    // The faces to show (none: nothing), shown only while the face tool is chosen.
    void setInput(FaceOverlayInput input);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void refresh();
    // The faces' boxes at the playhead, in this widget's pixels.
    std::vector<std::optional<Rect>> boxes() const;

    std::function<PreviewPlacement()> placement_;
    FaceOverlayInput input_;
    std::vector<std::unique_ptr<NotificationCenter::Token>> observers_;
};
