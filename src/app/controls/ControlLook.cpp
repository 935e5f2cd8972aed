#include "app/controls/ControlLook.h"

#include <QPainter>
#include <QScrollArea>
#include <QWidget>

void ControlLook::paintGround(QPainter& painter, const QWidget& widget) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(GROUND);
    painter.drawRoundedRect(widget.rect(), CORNER_RADIUS, CORNER_RADIUS);
}

QColor ControlLook::accent(const QWidget& widget) {
    return widget.palette().color(QPalette::Highlight);
}

void ControlLook::useLightText(QWidget& widget) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::WindowText, TEXT);
    widget.setPalette(palette);
}

QScrollArea* ControlLook::clearScrollArea(QWidget* content, Qt::Orientation scrolls,
                                          QWidget* parent) {
    auto* scroll = new QScrollArea(parent);
    scroll->setWidget(content);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    (scrolls == Qt::Horizontal ? scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff)
                               : scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff));
    scroll->viewport()->setAutoFillBackground(false);
    content->setAutoFillBackground(false);
    return scroll;
}
