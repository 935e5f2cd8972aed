#include "app/view/PreviewView.h"

#include <QMetaObject>
#include <QPainter>

PreviewView::PreviewView(QWidget* parent) : QWidget(parent) {
    setAccessibleName("Preview");
    setMinimumSize(320, 180);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void PreviewView::showFrame(const Image& frame) {
    const cv::Mat& pixels = frame.pixels;
    if (pixels.empty() || pixels.type() != CV_8UC4) return;
    // A copy: the player reuses its buffers once this returns.
    QImage image(pixels.data, pixels.cols, pixels.rows, int(pixels.step),
                 QImage::Format_RGBA8888_Premultiplied);
    {
        std::lock_guard lock(mutex_);
        frame_ = image.copy();
    }
    QMetaObject::invokeMethod(this, qOverload<>(&QWidget::update), Qt::QueuedConnection);
}

void PreviewView::clear() {
    {
        std::lock_guard lock(mutex_);
        frame_ = QImage();
    }
    update();
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
    QSize fitted = frame.size().scaled(size(), Qt::KeepAspectRatio);
    QRect target(QPoint((width() - fitted.width()) / 2, (height() - fitted.height()) / 2), fitted);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, frame);
}
