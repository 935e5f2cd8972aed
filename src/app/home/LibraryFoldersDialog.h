#pragma once
// The library's folders, where the user adds and removes folders and sees which cannot be read
// or are not there: what a phone's photo-access settings are to its library. Changes are saved
// as they are made. GUI thread.

#include <QDialog>

#include "platform/library/VideoLibrary.h"

class LibraryFolders;
class QListWidget;
class QPushButton;

class LibraryFoldersDialog : public QDialog {
    Q_OBJECT
public:
    // `listing`: the last listing, for the folders' state.
    LibraryFoldersDialog(LibraryFolders& folders, const LibraryListing& listing,
                         QWidget* parent = nullptr);

private:
    void fill();
    void addFolder();
    void removeSelected();
    void showSelected();
    QString selectedFolder() const;

    LibraryFolders& folders_;
    const LibraryListing& listing_;
    QListWidget* list_;
    QPushButton* remove_;
    QPushButton* show_;
};
