#include "app/controls/ProgressRing.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

ProgressRing::ProgressRing(QWidget* parent) : QWidget(parent) {
    setAccessibleName("Progress");
    setMinimumSize(sizeHint());
}

void ProgressRing::setValue(double fraction) {
    const double value = std::isnan(fraction) ? 0.0 : std::clamp(fraction, 0.0, 1.0);
    if (value == value_) return;
    value_ = value;
    setAccessibleDescription(QString("%1%").arg(int(value_ * 100)));
    update();
}

void ProgressRing::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const int side = std::min(width(), height());
    const int pen = std::max(4, side / 12);
    const QRectF ring((width() - side) / 2.0 + pen / 2.0, (height() - side) / 2.0 + pen / 2.0,
                      side - pen, side - pen);
    painter.setPen(QPen(QColor(255, 255, 255, 60), pen));
    painter.drawEllipse(ring);
    painter.setPen(QPen(palette().color(QPalette::Highlight), pen, Qt::SolidLine, Qt::RoundCap));
    // Qt's angles are sixteenths of a degree, counter-clockwise from three o'clock.
    painter.drawArc(ring, 90 * 16, -int(std::lround(value_ * 360 * 16)));
}
