#include "app/home/LibraryGridModel.h"

#include <QFileInfo>
#include <cmath>

#include "app/QtImage.h"
#include "platform/time/ClockText.h"

namespace {

QPixmap pixmapOf(const Image& picture) {
    QImage image = toQImage(picture);
    return image.isNull() ? QPixmap() : QPixmap::fromImage(image);
}

}  // namespace

QString durationText(double seconds) {
    return QString::fromStdString(minutesAndSeconds(seconds));
}

LibraryGridModel::LibraryGridModel(std::shared_ptr<const ThumbnailCache> cache, QObject* parent)
    : QAbstractListModel(parent),
      queue_(std::make_unique<ThumbnailQueue>(
          std::move(cache), [this](const std::string& path, const VideoPreview& preview) {
              deliver(path, preview);
          })) {}

void LibraryGridModel::setItems(std::vector<LibraryItem> items) {
    beginResetModel();
    queue_->dropPending();
    items_ = std::move(items);
    // Forget the previews of files changed since, and those still waiting: dropped just now,
    // they are asked for again when shown.
    for (auto it = previews_.begin(); it != previews_.end();) {
        it = it->arrived ? std::next(it) : previews_.erase(it);
    }
    for (const LibraryItem& item : items_) {
        auto it = previews_.find(QString::fromStdString(item.path));
        if (it != previews_.end() && it->modified != item.modified) previews_.erase(it);
    }
    endResetModel();
}

void LibraryGridModel::dropPendingPreviews() {
    queue_->dropPending();
    for (auto it = previews_.begin(); it != previews_.end();) {
        it = it->arrived ? std::next(it) : previews_.erase(it);
    }
}

int LibraryGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(items_.size());
}

const LibraryGridModel::Preview& LibraryGridModel::previewOf(const LibraryItem& item) const {
    const QString path = QString::fromStdString(item.path);
    auto it = previews_.find(path);
    if (it == previews_.end()) {
        Preview asked;
        asked.modified = item.modified;
        it = previews_.insert(path, asked);
        queue_->request(item.path);
    }
    return *it;
}

QVariant LibraryGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= int(items_.size())) return {};
    const LibraryItem& item = items_[size_t(index.row())];
    const QString path = QString::fromStdString(item.path);
    switch (role) {
        case Qt::DisplayRole:
            return QFileInfo(path).fileName();
        case Qt::ToolTipRole: {
            const Preview& preview = previewOf(item);
            return preview.problem.isEmpty() ? path : path + "\n" + preview.problem;
        }
        case Qt::AccessibleTextRole: {
            const Preview& preview = previewOf(item);
            QString text = QFileInfo(path).fileName();
            if (!preview.duration.isEmpty()) text += ", " + preview.duration;
            return text;
        }
        case Qt::DecorationRole:
            return previewOf(item).picture;
        case PathRole:
            return path;
        case DurationRole:
            return previewOf(item).duration;
        case UnreadableRole: {
            const Preview& preview = previewOf(item);
            return preview.arrived && preview.picture.isNull();
        }
        default:
            return {};
    }
}

void LibraryGridModel::deliver(const std::string& path, const VideoPreview& preview) {
    const QString key = QString::fromStdString(path);
    auto it = previews_.find(key);
    if (it == previews_.end()) return;  // forgotten since it was asked for
    it->arrived = true;
    it->picture = pixmapOf(preview.picture);
    if (preview.durationSeconds) it->duration = durationText(*preview.durationSeconds);
    it->problem = QString::fromStdString(preview.problem);
    for (size_t row = 0; row < items_.size(); ++row) {
        if (items_[row].path == path) {
            const QModelIndex changed = index(int(row));
            emit dataChanged(changed, changed);
        }
    }
}
