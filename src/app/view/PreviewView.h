#pragma once
// The preview area: shows the latest frame the player presented, fitted into the widget with
// the video's aspect on a dark backdrop, and zoomed (mouse wheel, touchpad pinch) and panned
// (drag) at the user's wish. Frames arrive on the player's thread and are painted on the GUI
// thread.

#include <QImage>
#include <QPointF>
#include <QWidget>
#include <mutex>
#include <optional>

#include "platform/image/Image.h"
#include "regions/PreviewPlacement.h"

class PreviewView : public QWidget {
    Q_OBJECT
public:
    explicit PreviewView(QWidget* parent = nullptr);
    // Any thread: the frame to show next.
    void showFrame(const Image& frame);
    // GUI thread: shows nothing (no video open).
    void clear();
    // Back to the whole frame fitted in the area.
    void fit();
    double zoom() const { return zoom_; }
    // Where a video of upright size `video` is shown on the area now.
    PreviewPlacement placement(Size video) const;

signals:
    // The zoom (1: fitted) and the picture's shift from the centre, in widget pixels.
    void zoomChanged(double zoom, QPointF offset);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // Zooms by `factor` keeping the picture's point under `anchor` in place.
    void zoomBy(double factor, QPointF anchor);
    // Keeps some of the picture in view, then repaints and reports.
    void settle();
    QRectF pictureRect(QSize frame) const;

    std::mutex mutex_;
    QImage frame_;
    double zoom_ = 1;
    QPointF offset_;
    std::optional<QPointF> dragFrom_;
};
