#include "app/view/PreviewView.h"

#include <QMetaObject>
#include <QMouseEvent>
#include <QNativeGestureEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <utility>

#include "app/QtImage.h"

namespace {

constexpr double MAX_ZOOM = 8;

}  // namespace

PreviewView::PreviewView(QWidget* parent) : QWidget(parent) {
    setAccessibleName("Preview");
    setMinimumSize(320, 180);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void PreviewView::showFrame(const Image& frame) {
    // A copy: the player reuses its buffers once this returns.
    QImage image = toQImage(frame);
    if (image.isNull()) return;
    {
        std::lock_guard lock(mutex_);
        frame_ = std::move(image);
    }
    QMetaObject::invokeMethod(this, qOverload<>(&QWidget::update), Qt::QueuedConnection);
}

void PreviewView::clear() {
    {
        std::lock_guard lock(mutex_);
        frame_ = QImage();
    }
    fit();
}

void PreviewView::fit() {
    zoom_ = 1;
    offset_ = {};
    settle();
}

PreviewPlacement PreviewView::placement(Size video) const {
    return {Size{double(width()), double(height())}, video, zoom_, Point{offset_.x(), offset_.y()}};
}

QRectF PreviewView::pictureRect(QSize frame) const {
    QSizeF fitted = QSizeF(frame).scaled(QSizeF(size()), Qt::KeepAspectRatio) * zoom_;
    QPointF centre = QRectF(rect()).center() + offset_;
    return {centre - QPointF(fitted.width() / 2, fitted.height() / 2), fitted};
}

void PreviewView::zoomBy(double factor, QPointF anchor) {
    const double zoom = std::clamp(zoom_ * factor, 1.0, MAX_ZOOM);
    const double applied = zoom / zoom_;
    const QPointF centre = QRectF(rect()).center();
    // The point under the anchor stays there: the picture's centre moves away from it.
    offset_ = (centre + offset_ - anchor) * applied + anchor - centre;
    zoom_ = zoom;
    settle();
}

void PreviewView::settle() {
    if (zoom_ <= 1) offset_ = {};
    // At most half the area beyond the picture's edge on each side.
    const QSizeF fitted = QSizeF(size()) * zoom_;
    const double x = std::max(0.0, (fitted.width() - width()) / 2);
    const double y = std::max(0.0, (fitted.height() - height()) / 2);
    offset_ = {std::clamp(offset_.x(), -x, x), std::clamp(offset_.y(), -y, y)};
    update();
    emit zoomChanged(zoom_, offset_);
}

bool PreviewView::event(QEvent* event) {
    if (event->type() == QEvent::NativeGesture) {
        auto* gesture = static_cast<QNativeGestureEvent*>(event);
        if (gesture->gestureType() == Qt::ZoomNativeGesture) {
            zoomBy(1 + gesture->value(), gesture->position());
            return true;
        }
    }
    return QWidget::event(event);
}

void PreviewView::wheelEvent(QWheelEvent* event) {
    const double steps = event->angleDelta().y() / 120.0;
    if (steps == 0) return QWidget::wheelEvent(event);
    zoomBy(std::pow(1.25, steps), event->position());
    event->accept();
}

void PreviewView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || zoom_ <= 1) return QWidget::mousePressEvent(event);
    dragFrom_ = event->position();
    setCursor(Qt::ClosedHandCursor);
}

void PreviewView::mouseMoveEvent(QMouseEvent* event) {
    if (!dragFrom_) return QWidget::mouseMoveEvent(event);
    offset_ += event->position() - *dragFrom_;
    dragFrom_ = event->position();
    settle();
}

void PreviewView::mouseReleaseEvent(QMouseEvent* event) {
    if (!dragFrom_) return QWidget::mouseReleaseEvent(event);
    dragFrom_.reset();
    unsetCursor();
}

void PreviewView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), QColor(24, 24, 27));
    QImage frame;
    {
        std::lock_guard lock(mutex_);
        frame = frame_;
    }
    if (frame.isNull()) return;
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(pictureRect(frame.size()), frame);
}
