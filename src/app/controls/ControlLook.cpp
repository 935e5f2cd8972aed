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

QString ControlLook::pickerStyleSheet() {
    return QString(
               "QToolButton { color: %1; border: 2px solid transparent; border-radius: 6px;"
               " padding: 2px; }"
               "QToolButton:hover, QToolButton:focus { background: rgba(255, 255, 255, 28); }"
               "QToolButton:checked { border-color: palette(highlight); }"
               "QLabel { color: %1; }")
        .arg(TEXT.name());
}
