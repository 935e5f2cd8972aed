#include "app/home/ThumbnailDelegate.h"

#include <QPainter>
#include <QPixmap>
#include <algorithm>

#include "app/home/LibraryGridModel.h"

namespace {

// The part of a picture of `size` that fills a square, centred.
QRect squareCrop(QSize size) {
    const int side = std::min(size.width(), size.height());
    return QRect((size.width() - side) / 2, (size.height() - side) / 2, side, side);
}

// Cells are dark whatever the theme, as photo grids are: the pictures stand out, and a cell
// still waiting for its thumbnail reads as a picture to come rather than as a gap.
const QColor cellColour(48, 48, 48);
constexpr int LABEL_MARGIN = 6;

void paintPlaceholder(QPainter* painter, const QRect& cell) {
    painter->setPen(QColor(200, 200, 200));
    QFont font = painter->font();
    font.setPointSizeF(font.pointSizeF() * 0.9);
    painter->setFont(font);
    painter->drawText(cell.adjusted(8, 8, -8, -8), Qt::AlignCenter | Qt::TextWordWrap,
                      "This video cannot be read");
}

// A dark label in the corner; returns where it went.
QRect paintLabel(QPainter* painter, const QRect& label, const QString& text) {
    painter->setPen(Qt::NoPen);
    painter->setBrush(QColor(0, 0, 0, int(0.7 * 255)));
    painter->drawRoundedRect(label, 4, 4);
    painter->setPen(Qt::white);
    painter->drawText(label, Qt::AlignCenter, text);
    return label;
}

// The duration at the bottom right, in bold; returns its label's box.
QRect paintDuration(QPainter* painter, const QRect& cell, const QString& text) {
    QFont font = painter->font();
    font.setBold(true);
    painter->setFont(font);
    const QFontMetrics metrics(font);
    QRect label(0, 0, metrics.horizontalAdvance(text) + 2 * LABEL_MARGIN, metrics.height() + 4);
    label.moveBottomRight(cell.bottomRight() - QPoint(4, 4));
    return paintLabel(painter, label, text);
}

// The file's name at the bottom left, shortened in the middle to leave the duration room:
// videos from one camera differ by their names' ends.
void paintName(QPainter* painter, const QRect& cell, const QString& name, int rightEdge) {
    QFont font = painter->font();
    font.setBold(false);
    painter->setFont(font);
    const QFontMetrics metrics(font);
    const int room = rightEdge - cell.left() - 8 - 2 * LABEL_MARGIN - 4;
    if (room < metrics.averageCharWidth() * 4) return;
    const QString shown = metrics.elidedText(name, Qt::ElideMiddle, room);
    QRect label(0, 0, metrics.horizontalAdvance(shown) + 2 * LABEL_MARGIN, metrics.height() + 4);
    label.moveBottomLeft(cell.bottomLeft() + QPoint(4, -4));
    paintLabel(painter, label, shown);
}

}  // namespace

void ThumbnailDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
    const QRect cell = option.rect.adjusted(0, 0, -gap, -gap);
    painter->save();
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    painter->setRenderHint(QPainter::Antialiasing);
    painter->fillRect(cell, cellColour);

    const QPixmap picture = index.data(Qt::DecorationRole).value<QPixmap>();
    if (!picture.isNull())
        painter->drawPixmap(cell, picture, squareCrop(picture.size()));
    else if (index.data(LibraryGridModel::UnreadableRole).toBool())
        paintPlaceholder(painter, cell);

    const QString duration = index.data(LibraryGridModel::DurationRole).toString();
    const int nameEnd =
        duration.isEmpty() ? cell.right() - 4 : paintDuration(painter, cell, duration).left();
    paintName(painter, cell, index.data(Qt::DisplayRole).toString(), nameEnd);

    if (option.state & QStyle::State_Selected) {
        QPen frame(option.palette.color(QPalette::Highlight), 4);
        frame.setJoinStyle(Qt::MiterJoin);
        painter->setPen(frame);
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(QRectF(cell).adjusted(2, 2, -2, -2));
    }
    painter->restore();
}

QSize ThumbnailDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const {
    return cellSize_;
}
