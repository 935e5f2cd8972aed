#include "app/home/ThumbnailGrid.h"

#include <QResizeEvent>
#include <QScrollBar>

#include "app/home/ThumbnailDelegate.h"

namespace {

// Cells stay between about 180 and 300 pixels wide on usual screens: big enough to tell videos
// apart, small enough that a window shows a few rows.
constexpr int fiveColumnsFrom = 720;
constexpr int sevenColumnsFrom = 1280;

}  // namespace

ThumbnailGrid::ThumbnailGrid(QWidget* parent)
    : QListView(parent), delegate_(new ThumbnailDelegate(this)) {
    setViewMode(QListView::IconMode);
    setFlow(QListView::LeftToRight);
    setWrapping(true);
    setResizeMode(QListView::Adjust);
    setMovement(QListView::Static);
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The scroll bar always takes its room, so showing it never changes the column width.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setFrameShape(QFrame::NoFrame);
    setItemDelegate(delegate_);
    setAccessibleName("Videos");
}

int ThumbnailGrid::columnsForWidth(int width) {
    if (width >= sevenColumnsFrom) return 7;
    if (width >= fiveColumnsFrom) return 5;
    return 3;
}

void ThumbnailGrid::resizeEvent(QResizeEvent* event) {
    layOutCells();
    QListView::resizeEvent(event);
}

void ThumbnailGrid::layOutCells() {
    columns_ = columnsForWidth(width());
    // Each grid cell is a square plus the 2-pixel gap, which the delegate leaves blank. The
    // view wraps a cell that would cross the right edge by a pixel, so whole cells only.
    const int cell = std::max(viewport()->width() / columns_, ThumbnailDelegate::gap + 1);
    delegate_->setCellSize(QSize(cell, cell));
    setGridSize(QSize(cell, cell));
    verticalScrollBar()->setSingleStep(cell / 4);
}
