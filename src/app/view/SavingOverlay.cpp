#include "app/view/SavingOverlay.h"

#include <QEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "app/controls/ProgressRing.h"

namespace {

QString savingText(double fraction) {
    const double clamped = std::isnan(fraction) ? 0.0 : std::clamp(fraction, 0.0, 1.0);
    return QString("Saving..%1%").arg(int(clamped * 100));
}

}  // namespace

SavingOverlay::SavingOverlay(QWidget* parent) : QWidget(parent) {
    setAccessibleName("Saving");
    auto* column = new QVBoxLayout(this);
    column->addStretch(1);
    ring_ = new ProgressRing(this);
    ring_->setAccessibleName("Saving progress");
    column->addWidget(ring_, 0, Qt::AlignHCenter);
    label_ = new QLabel(savingText(0), this);
    label_->setAccessibleName("Saving status");
    label_->setStyleSheet("color: white; font-size: 16px;");
    column->addWidget(label_, 0, Qt::AlignHCenter);
    cancel_ = new QPushButton("Cancel", this);
    cancel_->setAccessibleName("Cancel Save");
    cancel_->setShortcut(Qt::Key_Escape);
    connect(cancel_, &QPushButton::clicked, this, &SavingOverlay::cancelRequested);
    column->addWidget(cancel_, 0, Qt::AlignHCenter);
    column->addStretch(1);
    parent->installEventFilter(this);
    hide();
}

void SavingOverlay::begin() {
    setProgress(0);
    setGeometry(parentWidget()->rect());
    raise();
    show();
    cancel_->setFocus();
}

void SavingOverlay::setProgress(double fraction) {
    ring_->setValue(fraction);
    label_->setText(savingText(fraction));
}

bool SavingOverlay::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        setGeometry(parentWidget()->rect());
    return QWidget::eventFilter(watched, event);
}

void SavingOverlay::paintEvent(QPaintEvent*) {
    QPainter(this).fillRect(rect(), QColor(0, 0, 0, 170));
}
