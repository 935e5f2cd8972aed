#pragma once
// The editor's window: the home screen (the library) until a video is picked, then the editing
// screen of one video (or project) at a time, back home when it closes; its menus and
// keyboard shortcuts, the guard against closing with unsaved work, the autosave of unsaved
// edits, and the window's size and last folder remembered between runs. GUI thread.

#include <QMainWindow>
#include <optional>
#include <string>

#include "session/Autosave.h"

class EditingScreen;
class HomeScreen;
class QStackedWidget;
class QAction;
class QCloseEvent;
class QTimer;

class EditorWindow : public QMainWindow {
    Q_OBJECT
public:
    // `autosaveFolder`: where unsaved edits are kept safe (empty: the user's state folder).
    explicit EditorWindow(QWidget* parent = nullptr, std::string autosaveFolder = {});
    ~EditorWindow() override;

    // Opens a video or a project; the one-line reason when it cannot (what was open stays).
    std::optional<std::string> openFile(const std::string& path);
    // Offers to restore the edits a crashed editor left behind; call once the window shows.
    void offerToRestore();
    EditingScreen& editingScreen() { return *screen_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void addFileMenu();
    void addPlaybackMenu();
    void addViewAndHelpMenus();
    void chooseFile();
    void saveProject();
    void closeVideo();
    // Opens `path` picked on the home screen, or says why it cannot be opened.
    void openPicked(const QString& path);
    void autosave();
    void showVideoTitle();
    // Remembers the folder of `path` for the next file dialog.
    void rememberFolder(const QString& path);
    QString lastFolder() const;

    QStackedWidget* pages_;
    HomeScreen* home_;
    EditingScreen* screen_;
    Autosave autosave_;
    QTimer* autosaveTimer_;
    QString openPath_;  // the file the open edits came from
};
