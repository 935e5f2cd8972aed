#include "app/controls/ControlLook.h"

#include <QPainter>
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
