#include "app/home/LibraryFolders.h"

#include <QDir>

namespace {

const char* const addedKey = "library/addedFolders";

QString normalised(const QString& folder) {
    return QDir::cleanPath(QDir(folder).absolutePath());
}

}  // namespace

LibraryFolders::LibraryFolders(QString videosFolder, const QString& settingsFile)
    : videosFolder_(normalised(videosFolder)),
      settings_(settingsFile.isEmpty()
                    ? std::make_unique<QSettings>()
                    : std::make_unique<QSettings>(settingsFile, QSettings::IniFormat)) {}

QStringList LibraryFolders::added() const {
    return settings_->value(addedKey).toStringList();
}

QStringList LibraryFolders::all() const {
    return QStringList{videosFolder_} + added();
}

bool LibraryFolders::add(const QString& folder) {
    const QString path = normalised(folder);
    QStringList folders = added();
    if (path == videosFolder_ || folders.contains(path)) return false;
    folders.append(path);
    settings_->setValue(addedKey, folders);
    return true;
}

void LibraryFolders::remove(const QString& folder) {
    QStringList folders = added();
    folders.removeAll(normalised(folder));
    settings_->setValue(addedKey, folders);
}
