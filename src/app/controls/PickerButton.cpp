#include "app/controls/PickerButton.h"

#include <QKeyEvent>
#include <QPainter>
#include <QScrollArea>

#include "app/controls/ControlLook.h"

namespace {

constexpr int PADDING = 4;
constexpr double CORNER = 6;

}  // namespace

PickerButton::PickerButton(QWidget* parent) : QToolButton(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_Hover);
}

QSize PickerButton::sizeHint() const {
    // A button of fixed size needs no measuring; measuring a colour emoji decodes its picture,
    // which for a picker's worth of emoji takes long enough to be felt.
    if (minimumSize() == maximumSize()) return minimumSize();
    if (icon().isNull()) return QToolButton::sizeHint();
    const QFontMetrics metrics(font());
    return {std::max(iconSize().width(), metrics.horizontalAdvance(text())) + 2 * PADDING,
            iconSize().height() + metrics.height() + 3 * PADDING};
}

void PickerButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box = QRectF(rect()).adjusted(1, 1, -1, -1);
    if (underMouse() || hasFocus()) {
        painter.setPen(hasFocus() ? QPen(ControlLook::TEXT, 1) : Qt::NoPen);
        painter.setBrush(QColor(255, 255, 255, 28));
        painter.drawRoundedRect(box, CORNER, CORNER);
    }
    if (isChecked()) {
        painter.setPen(QPen(ControlLook::accent(*this), 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(box, CORNER, CORNER);
    }
    painter.setPen(ControlLook::TEXT);
    if (icon().isNull()) {
        painter.drawText(rect(), Qt::AlignCenter, text());
        return;
    }
    const QRect picture(QPoint((width() - iconSize().width()) / 2, PADDING), iconSize());
    icon().paint(&painter, picture);
    painter.drawText(QRect(0, picture.bottom() + PADDING, width(), height()),
                     Qt::AlignHCenter | Qt::AlignTop, text());
}

void PickerButton::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        event->modifiers() == Qt::NoModifier) {
        click();
        return;
    }
    QToolButton::keyPressEvent(event);
}

void PickerButton::focusInEvent(QFocusEvent* event) {
    QToolButton::focusInEvent(event);
    for (QWidget* above = parentWidget(); above; above = above->parentWidget()) {
        if (auto* scroll = qobject_cast<QScrollArea*>(above)) {
            scroll->ensureWidgetVisible(this);
            return;
        }
    }
}
