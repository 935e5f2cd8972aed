#pragma once
// What the face tool shows under the preview: the strip of persons with the reviewing controls
// ("Hide all", "Hide none", "Previous face", "Next face" and how many persons are hidden), and,
// while a face is being edited, its panel. GUI thread.

#include <QWidget>
#include <memory>
#include <vector>

#include "app/faces/FacePanel.h"
#include "platform/dispatch/NotificationCenter.h"

class EditSession;
class FaceStrip;
class QLabel;
class QPushButton;

class FaceToolView : public QWidget {
    Q_OBJECT
public:
    explicit FaceToolView(QWidget* parent = nullptr);
    ~FaceToolView() override;
    // The session (null: none) and where the style thumbnails' frame comes from.
    void setSession(EditSession* session, FacePanel::CaptureFrame captureFrame);

signals:
    // "Previous face" or "Next face": the screen moves the playhead, as its other moves do.
    void jumpRequested(bool forward);

private:
    QWidget* makeBrowsePage();
    void showPersons();
    // The panel while a face is edited, the strip otherwise. Only one is laid out, so the
    // preview keeps the room the other does not need.
    void showEditing(bool editing);

    EditSession* session_ = nullptr;
    QWidget* browse_;
    FaceStrip* strip_;
    QPushButton* hideAll_;
    QPushButton* hideNone_;
    QLabel* hiddenCount_;
    FacePanel* panel_;
    std::vector<std::unique_ptr<NotificationCenter::Token>> observers_;
};
