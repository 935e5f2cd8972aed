#include "app/controls/TickSlider.h"

#include <QKeyEvent>
#include <QPainter>
#include <QTimer>

#include "app/controls/ControlLook.h"
#include "app/controls/StepKeys.h"
#include "timeline/TickSliderModel.h"

namespace {

// A wheel notch (15 degrees) scrolls the ruler by one tick.
constexpr double PIXELS_PER_NOTCH = TickSliderModel::TICK_SPACING;
constexpr int ANGLE_PER_NOTCH = 120;
// The wheel's change counts as ended once it has rested this long.
constexpr int WHEEL_PAUSE_MS = 300;

}  // namespace

TickSlider::TickSlider(QWidget* parent) : TickSlider(std::make_unique<TickSliderModel>(), parent) {}

TickSlider::TickSlider(std::unique_ptr<TickSliderModel> own, QWidget* parent)
    : TickSlider(*own, parent) {
    own_ = std::move(own);
}

TickSlider::TickSlider(TickSliderModel& model, QWidget* parent)
    : QWidget(parent), model_(model), wheelPause_(new QTimer(this)) {
    setAccessibleName("Value");
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(minimumSizeHint());
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    wheelPause_->setSingleShot(true);
    wheelPause_->setInterval(WHEEL_PAUSE_MS);
    connect(wheelPause_, &QTimer::timeout, this, &TickSlider::changeEnded);
}

TickSlider::~TickSlider() = default;

void TickSlider::setValue(double value) {
    model_.setValue(value);
    update();
}

double TickSlider::value() const {
    return model_.value();
}

void TickSlider::report(double before) {
    if (model_.value() == before) return;
    update();
    emit valueChanged(model_.value());
}

void TickSlider::resizeEvent(QResizeEvent*) {
    model_.setWidth(width());
}

void TickSlider::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    ControlLook::paintGround(painter, *this);
    painter.setClipRect(rect().adjusted(2, 0, -2, 0));

    const double bottom = height() - 8;
    const QColor accent = ControlLook::accent(*this);
    for (int i = 0; i < TickSliderModel::TICK_COUNT; ++i) {
        const double x = model_.tickX(i);
        if (x < -2 || x > width() + 2) continue;
        const bool current = i == model_.currentTick();
        // Every tenth tick is longer, so the ruler can be read like one.
        const double length = current ? 20 : (i % 10 == 0 ? 16 : 10);
        painter.setPen(current ? QPen(accent, 2) : QPen(QColor(255, 255, 255, 128), 1));
        painter.drawLine(QPointF(x, bottom - length), QPointF(x, bottom));
    }

    const double mark = model_.markX();
    painter.setPen(QPen(ControlLook::MARK, 2, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(mark, 5), QPointF(mark, bottom + 3));
    if (hasFocus()) {
        painter.setPen(QPen(accent, 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5),
                                ControlLook::CORNER_RADIUS, ControlLook::CORNER_RADIUS);
    }
}

void TickSlider::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    dragging_ = true;
    lastX_ = event->position().x();
}

void TickSlider::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging_) return;
    const double before = model_.value();
    // The ruler follows the pointer: dragging left brings later ticks under the mark.
    model_.scrollBy(lastX_ - event->position().x());
    lastX_ = event->position().x();
    report(before);
}

void TickSlider::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !dragging_) return QWidget::mouseReleaseEvent(event);
    dragging_ = false;
    emit changeEnded();
}

void TickSlider::wheelEvent(QWheelEvent* event) {
    const QPoint angle = event->angleDelta();
    // Turning up, or a horizontal swipe to the left, raises the value.
    const int notches = angle.y() != 0 ? angle.y() : -angle.x();
    if (notches == 0) return QWidget::wheelEvent(event);
    const double before = model_.value();
    model_.scrollBy(notches * PIXELS_PER_NOTCH / ANGLE_PER_NOTCH);
    report(before);
    wheelPause_->start();
    event->accept();
}

bool TickSlider::event(QEvent* event) {
    return claimStepKey(event) || QWidget::event(event);
}

void TickSlider::keyPressEvent(QKeyEvent* event) {
    const auto key = stepKeyOf(*event);
    if (!key || dragging_) return QWidget::keyPressEvent(event);
    const double before = model_.value();
    model_.press(*key);
    report(before);
    emit changeEnded();
}
