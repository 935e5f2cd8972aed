#pragma once
// The face tool's layer over the preview: the scan's progress while it has not reached the
// playhead, then a box around each face shown at the playhead (the selected one in the
// selection colour), or "No Face Detected" after a scan that found nobody. A click on a box
// selects that face for editing; clicks elsewhere go through to the preview (pan). Boxes follow
// the playhead, the scan's reports and the preview's zoom and pan. GUI thread.

#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

#include "platform/dispatch/NotificationCenter.h"
#include "regions/PreviewPlacement.h"

class EditSession;

class FaceOverlayView : public QWidget {
    Q_OBJECT
public:
    // Covers `preview`; `placement` says where the video is on it at the moment.
    FaceOverlayView(QWidget* preview, std::function<PreviewPlacement()> placement);
    ~FaceOverlayView() override;
    // The session whose faces are shown (null: none); shown only while its tool is the face tool.
    void setSession(EditSession* session);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void refresh();

    std::function<PreviewPlacement()> placement_;
    EditSession* session_ = nullptr;
    std::vector<std::unique_ptr<NotificationCenter::Token>> observers_;
};
