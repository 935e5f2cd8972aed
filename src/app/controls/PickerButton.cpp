#include "app/controls/PickerButton.h"

#include "app/controls/StepKeys.h"

#include <QButtonGroup>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollArea>
#include <cstdlib>

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

bool PickerButton::event(QEvent* event) {
    // The arrows move between the buttons, before the window's shortcuts move the playhead.
    if (event->type() == QEvent::ShortcutOverride) {
        auto step = stepKeyOf(*static_cast<QKeyEvent*>(event));
        if (step == StepKey::back || step == StepKey::forward) {
            event->accept();
            return true;
        }
    }
    return QToolButton::event(event);
}

void PickerButton::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if (event->modifiers() != Qt::NoModifier) return QToolButton::keyPressEvent(event);
    if (key == Qt::Key_Return || key == Qt::Key_Enter) return click();
    // Qt moves the focus in exclusive groups only: in others, the buttons the focused one took
    // out of the tab chain no longer qualify.
    const bool arrow =
        key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up || key == Qt::Key_Down;
    if (arrow && group() && !group()->exclusive()) {
        if (QAbstractButton* next = neighbour(key)) next->setFocus(Qt::OtherFocusReason);
        return;
    }
    QToolButton::keyPressEvent(event);
}

// The shown button of the group nearest this way: in the same row (or column) first.
QAbstractButton* PickerButton::neighbour(int key) const {
    const bool sideways = key == Qt::Key_Left || key == Qt::Key_Right;
    const bool backwards = key == Qt::Key_Left || key == Qt::Key_Up;
    const QPoint from = mapToGlobal(rect().center());
    QAbstractButton* nearest = nullptr;
    long long nearestScore = 0;
    for (QAbstractButton* other : group()->buttons()) {
        if (other == this || !other->isVisible()) continue;
        const QPoint to = other->mapToGlobal(other->rect().center());
        const int along = sideways ? to.x() - from.x() : to.y() - from.y();
        const int across = sideways ? to.y() - from.y() : to.x() - from.x();
        if (backwards ? along >= 0 : along <= 0) continue;
        const long long score = (long long)std::abs(across) << 32 | std::abs(along);
        if (!nearest || score < nearestScore) {
            nearest = other;
            nearestScore = score;
        }
    }
    return nearest;
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
