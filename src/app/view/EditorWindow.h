#pragma once
// The editor's window: the edited preview of one video (or project), a Play button and the
// playhead's time under it, the playhead moved by frames and seconds from the keyboard, the
// face scan's progress in the status bar (the scan starts as a video opens), and the edits
// saved as a project; opening another file replaces what is shown. GUI thread.

#include <QMainWindow>
#include <QString>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/dispatch/NotificationCenter.h"

class EditSession;
class PreviewPlayback;
class PreviewView;
class QLabel;
class QPushButton;

class EditorWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit EditorWindow(QWidget* parent = nullptr);
    ~EditorWindow() override;

    // Opens a video or a project; the one-line reason when it cannot (what was open stays).
    std::optional<std::string> openFile(const std::string& path);

private:
    void chooseFile();
    void saveProject();
    void togglePlay();
    void showTime();
    void showScanState();
    // Pauses and moves the playhead to `seconds` (clamped to the video).
    void moveTo(double seconds);
    void addPlaybackMenu();

    std::unique_ptr<EditSession> session_;
    std::unique_ptr<PreviewPlayback> playback_;  // after the session: goes first
    std::vector<std::unique_ptr<NotificationCenter::Token>> observers_;
    PreviewView* preview_;
    QPushButton* play_;
    QLabel* time_;
    QLabel* scan_;
    QString scanFailure_;  // why the scan of the open video stopped, if it did
};
