#include "app/faces/FaceStrip.h"

#include "app/QtImage.h"
#include "app/controls/ControlLook.h"
#include "core/Notifications.h"
#include "faces/FaceScanStatus.h"
#include "faces/FaceStripModel.h"
#include "session/EditSession.h"

namespace {

constexpr int ICON_SIDE = 64;

QIcon placeholderIcon() {
    QPixmap picture(ICON_SIDE, ICON_SIDE);
    picture.fill(QColor(60, 60, 66));
    return QIcon(picture);
}

}  // namespace

FaceStrip::FaceStrip(QWidget* parent) : QListWidget(parent) {
    setAccessibleName("Persons");
    setViewMode(QListView::IconMode);
    setFlow(QListView::LeftToRight);
    setWrapping(false);
    setMovement(QListView::Static);
    setIconSize(QSize(ICON_SIDE, ICON_SIDE));
    setGridSize(QSize(ICON_SIDE + 40, ICON_SIDE + 36));
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFixedHeight(ICON_SIDE + 52);
    setSelectionMode(QAbstractItemView::SingleSelection);
    // Faces read best on the dark ground the preview and the panel's controls share.
    QPalette ground = palette();
    ground.setColor(QPalette::Base, ControlLook::GROUND);
    ground.setColor(QPalette::Text, ControlLook::TEXT);
    setPalette(ground);
    setFrameShape(QFrame::NoFrame);
    // A click or Enter on a cell picks the person; arrows only move between cells.
    connect(this, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { pick(row(item)); });
    connect(this, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { pick(row(item)); });
}

void FaceStrip::setSession(EditSession* session) {
    session_ = session;
    icons_.clear();
    cells_.clear();
    clear();
    reload();
}

QIcon FaceStrip::faceIcon(const std::string& regionId, const Image& thumbnail) {
    auto known = icons_.find(regionId);
    if (known != icons_.end()) return known->second;
    QImage face = toQImage(thumbnail);
    QIcon icon =
        face.isNull()
            ? placeholderIcon()
            : QIcon(QPixmap::fromImage(face.scaled(
                  ICON_SIDE, ICON_SIDE, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation)));
    return icons_.emplace(regionId, icon).first->second;
}

void FaceStrip::reload() {
    if (!session_) return clear();
    const FaceEditor& faces = session_->faceEditor();
    auto cells =
        faceStripCells(faceScanStatus(faces, session_->playhead, session_->source()->duration()));
    if (cells != cells_) {
        cells_ = cells;
        clear();
        for (FaceCell cell : cells_) {
            auto* item = new QListWidgetItem(this);
            if (cell == FaceCell::face) continue;  // filled below
            item->setIcon(placeholderIcon());
            item->setText(cell == FaceCell::loading ? "Scanning..." : QString());
            item->setFlags(Qt::NoItemFlags);
        }
    }
    const auto& regions = faces.regions();
    for (int i = 0; i < count() && i < int(regions.size()); ++i) {
        if (cells_[i] != FaceCell::face) continue;
        const TrackedRegion& region = regions[i];
        QListWidgetItem* cell = item(i);
        const bool hidden = region.cover != Cover::none;
        // Reloads follow the playhead while playing: a cell is redrawn only when it changed.
        const QString shown = QString::fromStdString(region.id) + (hidden ? "+" : "-");
        if (cell->data(Qt::UserRole).toString() == shown) continue;
        cell->setData(Qt::UserRole, shown);
        const QString name = QString("Person %1").arg(i + 1);
        cell->setIcon(faceIcon(region.id, region.thumbnail));
        cell->setText(name + (hidden ? "\nhidden" : "\nvisible"));
        cell->setData(Qt::AccessibleTextRole, name);
        cell->setToolTip(hidden ? name + " is hidden" : name + " is not hidden: pick to hide");
        cell->setForeground(hidden ? palette().text() : QBrush(QColor(255, 170, 60)));
        cell->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    }
    auto selected = faces.selectedIndex();
    if (selected && *selected < count()) {
        setCurrentRow(*selected);
    } else {
        clearSelection();
    }
}

void FaceStrip::pick(int row) {
    if (!session_ || row < 0 || row >= int(cells_.size()) || cells_[row] != FaceCell::face) return;
    FaceEditor& faces = session_->faceEditor();
    faces.select(row);
    if (!faces.selectedIndex()) return;
    if (auto moved = playheadForPickedFace(faces.regions()[size_t(row)], session_->playhead)) {
        session_->playhead = *moved;
        NotificationCenter::defaultCenter().post(Notifications::timeChange);
    }
}
