#include "app/controls/ValueSlider.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>

#include "app/controls/ControlLook.h"
#include "app/controls/TickSlider.h"

namespace {

constexpr int LABEL_WIDTH = 44;

}  // namespace

ValueSlider::ValueSlider(const QString& accessibleName, QWidget* parent)
    : QWidget(parent), ruler_(new TickSlider(model_.slider(), this)), label_(new QLabel(this)) {
    setAccessibleName(accessibleName);
    ruler_->setAccessibleName(accessibleName);
    setFocusProxy(ruler_);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    label_->setFixedWidth(LABEL_WIDTH);
    label_->setAlignment(Qt::AlignCenter);
    ControlLook::useLightText(*label_);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(ruler_, 1);
    layout->addWidget(label_);
    showLabel();

    connect(ruler_, &TickSlider::valueChanged, this, [this](double value) {
        showLabel();
        emit valueChanged(value);
    });
    connect(ruler_, &TickSlider::changeEnded, this, &ValueSlider::changeEnded);
}

void ValueSlider::setValue(double value) {
    if (!model_.setValue(value)) return;
    ruler_->update();
    showLabel();
}

void ValueSlider::showLabel() {
    label_->setText(QString::fromStdString(model_.label()));
    ruler_->setAccessibleDescription(label_->text() + "%");
}

void ValueSlider::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    ControlLook::paintGround(painter, *this);
}
