#include "app/controls/ScaleBar.h"

#include <QKeyEvent>
#include <QPainter>
#include <cmath>

#include "app/controls/ControlLook.h"
#include "app/controls/StepKeys.h"

namespace {

constexpr double KNOB = ScaleBarModel::KNOB_WIDTH;

}  // namespace

ScaleBar::ScaleBar(QWidget* parent) : QWidget(parent) {
    setAccessibleName("Enlargement");
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(minimumSizeHint());
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setAccessibleDescription(QString::fromStdString(model_.label()));
}

void ScaleBar::setValue(double scale) {
    model_.setValue(scale);
    setAccessibleDescription(QString::fromStdString(model_.label()));
    update();
}

void ScaleBar::changeTo(double scale) {
    setAccessibleDescription(QString::fromStdString(model_.label()));
    update();
    emit scaleChanged(scale);
}

void ScaleBar::resizeEvent(QResizeEvent*) {
    model_.setLineWidth(lineRight() - PADDING);
}

void ScaleBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    ControlLook::paintGround(painter, *this);

    const double centreY = height() / 2.0;
    const double knobCentre = PADDING + model_.knobLeft() + KNOB / 2;
    const QColor accent = ControlLook::accent(*this);
    painter.setPen(QPen(ControlLook::TRACK, 2, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(PADDING + KNOB / 2, centreY),
                     QPointF(lineRight() - KNOB / 2, centreY));
    painter.setPen(QPen(accent, 4, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(PADDING + KNOB / 2, centreY), QPointF(knobCentre, centreY));

    painter.setPen(hasFocus() ? QPen(accent, 2) : Qt::NoPen);
    painter.setBrush(ControlLook::MARK);
    painter.drawEllipse(QPointF(knobCentre, centreY), KNOB / 2 - 1, KNOB / 2 - 1);

    painter.setPen(ControlLook::TEXT);
    painter.drawText(QRectF(lineRight(), 0, LABEL_WIDTH, height()), Qt::AlignCenter,
                     QString::fromStdString(model_.label()));
}

void ScaleBar::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    const double x = event->position().x();
    const double knobCentre = PADDING + model_.knobLeft() + KNOB / 2;
    dragging_ = true;
    model_.beginDrag();
    // Off the knob the press brings the knob's centre under the pointer; on it, nothing moves.
    const double jump = std::abs(x - knobCentre) > KNOB / 2 ? x - knobCentre : 0;
    dragFromX_ = x - jump;
    changeTo(model_.dragBy(jump));
}

void ScaleBar::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging_) return;
    changeTo(model_.dragBy(event->position().x() - dragFromX_));
}

void ScaleBar::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) dragging_ = false;
}

bool ScaleBar::event(QEvent* event) {
    return claimStepKey(event) || QWidget::event(event);
}

void ScaleBar::keyPressEvent(QKeyEvent* event) {
    const auto key = stepKeyOf(*event);
    if (!key || dragging_) return QWidget::keyPressEvent(event);
    changeTo(model_.press(*key));
}
