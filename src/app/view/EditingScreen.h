#pragma once
// The screen on which one video is edited: the top bar (close, the tool's title, "Save
// Video"), the edit bar with its title, Cancel and Done while a tool edits something, the
// zoomable edited preview with the saving overlay over it, the Play button, a position slider
// and the time, the tool bar, and the face scan's state. It owns the edit session of the open
// video and keeps track of what is saved. GUI thread.

#include <QString>
#include <QStringList>
#include <QWidget>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/dispatch/NotificationCenter.h"
#include "session/UnsavedWork.h"

class EditSession;
class FaceOverlayView;
class FaceToolView;
class PreviewPlayback;
class PreviewView;
class QButtonGroup;
class QLabel;
class QPushButton;
class QSlider;
class SaveVideoFlow;
class SavingOverlay;

class EditingScreen : public QWidget {
    Q_OBJECT
public:
    explicit EditingScreen(QWidget* parent = nullptr);
    ~EditingScreen() override;

    // Opens a video or a project in place of what was open; the one-line reason when it
    // cannot (what was open stays).
    std::optional<std::string> openFile(const std::string& path);
    // Closes the open video (cancelling a save under way), without asking.
    void closeVideo();
    EditSession* session() { return session_.get(); }
    const UnsavedWork& unsavedWork() const { return unsaved_; }
    // Counts the open edits as never saved (edits restored after a crash).
    void forgetSaves() { unsaved_ = UnsavedWork(); }
    // Asks "Close Editor" when there is unsaved work; true when the video may be closed.
    bool confirmClose();

    void togglePlay();
    // The tool bar's n-th tool (preview, face, object, background, shape).
    void chooseTool(int index);
    static QStringList toolNames();
    // Pauses and moves the playhead by frames and seconds, or to `seconds` (clamped).
    void step(double frames, double seconds);
    void moveTo(double seconds);
    void askToSave();
    // Writes the edits as a project (an existing file only with `overwrite`); the reason when
    // it could not.
    std::optional<std::string> saveProject(const std::string& path, bool overwrite);
    void fitPreview();
    // Moves the playhead to the nearest start or last frame of a person's cover (Heading).
    void jumpToFace(bool forward);
    // While `on`, the preview shows the video without any edit; the key `\` holds it.
    void showOriginal(bool on);

signals:
    // The close control: the window decides where to go.
    void closeRequested();
    void savingChanged(bool saving);
    // The open video (or none) changed.
    void videoChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* makeTopBar();
    QWidget* makeEditBar();
    QWidget* makeToolBar();
    void observeSession();
    void showTitle();
    void showEditBar(const QString& title);
    void showTime();
    void showScanState();
    void showToolArea();

    std::unique_ptr<EditSession> session_;
    std::unique_ptr<PreviewPlayback> playback_;  // after the session: goes first
    std::vector<std::unique_ptr<NotificationCenter::Token>> observers_;
    UnsavedWork unsaved_;
    QLabel* title_;
    QPushButton* save_;
    QWidget* editBar_;
    QLabel* editTitle_;
    PreviewView* preview_;
    FaceOverlayView* faces_;
    QLabel* originalBadge_;
    FaceToolView* faceTool_;
    SavingOverlay* overlay_;
    SaveVideoFlow* saving_;
    QPushButton* play_;
    QSlider* position_;
    QLabel* time_;
    QButtonGroup* tools_;
    QLabel* scan_;
    QString scanFailure_;  // why the scan of the open video stopped, if it did
    bool addingObject_ = false;
};
