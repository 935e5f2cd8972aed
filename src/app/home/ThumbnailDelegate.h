#pragma once
// Paints one cell of the thumbnail grid: the thumbnail cropped to fill the square, the
// duration on a dark strip in the corner, a placeholder for a video that cannot be read, and
// the selection as a frame. GUI thread.

#include <QStyledItemDelegate>

class ThumbnailDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    static constexpr int gap = 2;  // between cells, in pixels

    using QStyledItemDelegate::QStyledItemDelegate;

    // The grid's cell, gap included: every item fills one.
    void setCellSize(QSize size) { cellSize_ = size; }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    QSize cellSize_{100, 100};
};
