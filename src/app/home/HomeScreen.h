#pragma once
// The home screen: the videos of the library (the user's videos folder and the folders added
// to it) as a grid of thumbnails, album by album ("Recent Videos", every video newest first,
// then one album per folder); folders that cannot be read are named with how to fix it; "Add
// Videos" adds a folder, a video dropped on the screen opens, and the settings menu holds the
// library's folders, feedback and sharing. Picking a video (double click or Enter) asks for it
// to be opened. The library is listed and thumbnails are made on workers; a change in a
// library folder lists it again. GUI thread.

#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <memory>

#include "platform/library/VideoLibrary.h"

class LibraryFolders;
class LibraryGridModel;
class QComboBox;
class QFileSystemWatcher;
class QFrame;
class QLabel;
class QStackedWidget;
class ThumbnailGrid;

struct HomeScreenSetup {
    QString videosFolder;     // the user's videos folder, always in the library
    QString thumbnailFolder;  // where thumbnails are kept between runs
    QString settingsFile;     // where added folders are remembered; empty: the app's settings
    VideoLibrary::ReadabilityCheck readable = &VideoLibrary::canListFolder;

    // The XDG videos and cache folders, the application's settings.
    static HomeScreenSetup fromEnvironment();
};

class HomeScreen : public QWidget {
    Q_OBJECT
public:
    explicit HomeScreen(HomeScreenSetup setup = HomeScreenSetup::fromEnvironment(),
                        QWidget* parent = nullptr);
    ~HomeScreen() override;

    // Lists the library again, on a worker; the grid is refreshed when the listing arrives.
    void rescan();

signals:
    // The user picked this video (from the grid, or dropped on the screen).
    void openRequested(const QString& path);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    QWidget* makeTopBar();
    QFrame* makeAccessNotice();
    void present(LibraryListing listing);
    void showAlbum(int index);
    void showAccessNotice();
    void watchFolders();
    void addFolder();
    void addFolders(const QStringList& folders);
    void openAccessSettings();
    void writeFeedback();
    void shareApp();
    void tell(const QString& text);

    HomeScreenSetup setup_;
    std::unique_ptr<LibraryFolders> folders_;
    LibraryListing listing_;
    int scanGeneration_ = 0;

    LibraryGridModel* model_;
    QComboBox* albums_;
    QFrame* accessNotice_;
    QLabel* accessText_;
    QStackedWidget* pages_;
    ThumbnailGrid* grid_;
    QLabel* emptyNotice_;
    QLabel* notice_;
    QTimer noticeTimer_;
    QFileSystemWatcher* watcher_;
    QTimer rescanTimer_;  // gathers a burst of folder changes into one scan
};
