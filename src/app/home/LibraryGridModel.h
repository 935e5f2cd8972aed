#pragma once
// The videos of the album shown on the home screen, with their thumbnails and durations as they
// arrive. A video's preview is asked for the first time the grid wants its picture, so only the
// videos scrolled into view are decoded. Previews are kept across albums and rescans for as
// long as the file is unchanged. GUI thread.

#include <QAbstractListModel>
#include <QHash>
#include <QPixmap>
#include <memory>
#include <vector>

#include "platform/library/ThumbnailQueue.h"
#include "platform/library/VideoLibrary.h"

class LibraryGridModel : public QAbstractListModel {
    Q_OBJECT
public:
    enum Role {
        PathRole = Qt::UserRole,  // QString
        DurationRole,             // QString "%02d:%02d", empty until known
        UnreadableRole,           // bool: the video could not be read (a placeholder is shown)
    };

    explicit LibraryGridModel(std::shared_ptr<const ThumbnailCache> cache,
                              QObject* parent = nullptr);

    void setItems(std::vector<LibraryItem> items);
    // Stops making previews nobody is waiting for (the screen is hidden).
    void dropPendingPreviews();

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    struct Preview {
        std::filesystem::file_time_type modified;  // of the file it was made from
        bool arrived = false;
        QPixmap picture;
        QString duration;
        QString problem;
    };
    const Preview& previewOf(const LibraryItem& item) const;
    void deliver(const std::string& path, const VideoPreview& preview);

    std::vector<LibraryItem> items_;
    mutable QHash<QString, Preview> previews_;  // by path; an entry means it was asked for
    std::unique_ptr<ThumbnailQueue> queue_;
};

// "mm:ss" in whole minutes, then seconds ("75:03" for an hour and a quarter).
QString durationText(double seconds);
