#pragma once
// The folders the home screen lists: the user's videos folder, always, and the folders the user
// added, remembered in the application's settings. GUI thread.

#include <QSettings>
#include <QString>
#include <QStringList>
#include <memory>

class LibraryFolders {
public:
    // `settingsFile` empty: the application's own settings.
    LibraryFolders(QString videosFolder, const QString& settingsFile = {});

    const QString& videosFolder() const { return videosFolder_; }
    QStringList added() const;
    // The videos folder first, then the added ones in the order they were added.
    QStringList all() const;

    // False when the folder is already in the library (or is the videos folder).
    bool add(const QString& folder);
    void remove(const QString& folder);

private:
    QString videosFolder_;
    std::unique_ptr<QSettings> settings_;
};
